// The copy: made under a temporary name beside its place, then renamed into
// it.
#include <windows.h>

#include "platform/files.h"
#include "platform/files_internal.h"

namespace platform::files {

namespace {

// The number in the next temporary name to try. Started at first use from the
// clock and the process, so that two tovrels rarely try the same names.
unsigned nextTemporaryName;
bool temporaryNamesStarted;
constexpr unsigned kTemporaryNames = 0x10000;  // ~tv0000.tmp to ~tvFFFF.tmp

// A copy of a file under a temporary name in the folder of its destination,
// removed again unless it was put in place. Word loads only templates and
// add-ins from its startup folder, so it never loads the copy under this name;
// the name is no longer than the template's own, so that it fits wherever
// that does.
class TemporaryCopy {
public:
    TemporaryCopy() = default;
    ~TemporaryCopy() {
        if (!path_.empty()) {
            SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_NORMAL);  // read-only would stay
            DeleteFileA(path_.c_str());
        }
    }
    TemporaryCopy(const TemporaryCopy&) = delete;
    TemporaryCopy& operator=(const TemporaryCopy&) = delete;

    DWORD Make(const std::string& ansiSource, const std::wstring& destination) {
        const std::wstring folder = FolderOf(destination);
        if (!temporaryNamesStarted) {
            nextTemporaryName = GetTickCount() ^ (GetCurrentProcessId() << 8);
            temporaryNamesStarted = true;
        }
        // Every name in turn, from where the last copy left off: names that the
        // user's own files have taken never keep a copy from being made while
        // one is free.
        for (unsigned tried = 0; tried < kTemporaryNames; ++tried) {
            std::wstring name = L"~tv0000.tmp";
            for (size_t digit = 6, number = nextTemporaryName++; digit >= 3;
                 --digit, number >>= 4) {
                name[digit] = L"0123456789ABCDEF"[number & 15];
            }
            std::string candidate;
            if (const DWORD error = AnsiPath(folder + name, candidate)) {
                return error;
            }
            // Only a name nothing answers to, so that what is removed on a
            // failure is this copy and never someone else's file.
            if (GetFileAttributesA(candidate.c_str()) != INVALID_FILE_ATTRIBUTES) {
                continue;
            }
            if (const DWORD error = LastFailure(); error != ERROR_FILE_NOT_FOUND) {
                return error;  // no folder to copy into, or it cannot be told
            }
            if (CopyFileA(ansiSource.c_str(), candidate.c_str(), /*bFailIfExists=*/TRUE)) {
                path_ = candidate;
                return ERROR_SUCCESS;
            }
            const DWORD error = LastFailure();
            if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) {
                continue;  // taken meanwhile
            }
            // Windows removes a copy that fails half way (on a full disk, say);
            // Wine leaves the half.
            DeleteFileA(candidate.c_str());
            return error;
        }
        return ERROR_FILE_EXISTS;  // every name taken
    }

    const std::string& path() const { return path_; }
    void Placed() { path_.clear(); }

private:
    std::string path_;
};

// Windows refuses to copy over a read-only, hidden or system file; a rename
// refuses only a read-only one, and Wine's not even that. Refusing here keeps
// such a file as it is on both.
DWORD RefuseSpecialFile(const std::string& ansiDestination) {
    const DWORD existing = GetFileAttributesA(ansiDestination.c_str());
    if (existing != INVALID_FILE_ATTRIBUTES && (existing & kInherited) != 0) {
        return ERROR_ACCESS_DENIED;
    }
    return ERROR_SUCCESS;
}

}  // namespace

}  // namespace platform::files

namespace platform {

using namespace files;

DWORD CopyFileReplacing(const std::wstring& source, const std::wstring& destination) {
    std::string ansiSource, ansiDestination;
    if (const DWORD error = AnsiPath(source, ansiSource)) {
        return error;
    }
    if (const DWORD error = AnsiPath(destination, ansiDestination)) {
        return error;
    }
    // Before the copy, and again before the rename, since a file may come
    // while a large template is copied.
    if (const DWORD error = RefuseSpecialFile(ansiDestination)) {
        return error;
    }
    TemporaryCopy copy;
    if (const DWORD error = copy.Make(ansiSource, destination)) {
        return error;
    }
    const DWORD attributes = GetFileAttributesA(copy.path().c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return LastFailure();
    }
    if ((attributes & kInherited) != 0) {
        DWORD plain = attributes & ~kInherited;
        if (plain == 0) {
            plain = FILE_ATTRIBUTE_NORMAL;
        }
        if (!SetFileAttributesA(copy.path().c_str(), plain)) {
            return LastFailure();
        }
    }
    if (const DWORD error = RefuseSpecialFile(ansiDestination)) {
        return error;
    }
    // A rename replaces the name, whatever it stood for (a second name of a
    // user's file, a link), and no half copy ever stands under it.
    if (!MoveFileExA(copy.path().c_str(), ansiDestination.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        return LastFailure();
    }
    copy.Placed();
    return ERROR_SUCCESS;
}

}  // namespace platform
