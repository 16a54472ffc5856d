// The copy: written into a temporary file beside its place, then renamed into
// it. The temporary is marked for deletion through its own handle from the
// call after the one that makes it until the call before the rename, so that
// the system removes it whatever happens meanwhile: a failure, tovrel ended by
// force, a scanner holding it past tovrel's end. Nothing ever deletes it by
// name, where a file of the same name made meanwhile by someone else would go
// instead.
#include <windows.h>

#include <cstddef>
#include <algorithm>
#include <cstring>
#include <string>

#include "platform/files.h"
#include "platform/files_internal.h"
#include "platform/later_windows.h"

namespace platform::files {

namespace {

// The number in the next temporary name to try. Started at first use from the
// clock and the process, so that two tovrels rarely try the same names.
unsigned nextTemporaryName;
bool temporaryNamesStarted;
constexpr unsigned kTemporaryNames = 0x10000;  // ~tv0000.tmp to ~tvFFFF.tmp

// Marks, unmarks and renames an open file through its handle:
// SetFileInformationByHandle from Windows Vista on; on Windows XP, which lacks
// it, ntdll's NtSetInformationFile, which takes the same records (there
// FILE_DISPOSITION_INFORMATION and FILE_RENAME_INFORMATION).
class ByHandle {
public:
    bool Usable() const { return kernel_ || (native_ && nativeError_); }

    DWORD Mark(HANDLE file, bool deleted) const {
        later::DispositionRecord disposition{deleted};
        return Set(file, later::kDispositionRecord, later::kNativeDispositionRecord, &disposition,
                   sizeof disposition);
    }

    // Renames the file to `destination`, replacing what lies there.
    DWORD Rename(HANDLE file, const std::wstring& destination,
                 const std::string& ansiFolder) const {
        // The name follows the record's head; MAX_PATH characters at most, as
        // every path here.
        using Record = later::RenameRecord;
        alignas(Record) BYTE record[offsetof(Record, FileName) + MAX_PATH * sizeof(wchar_t)] = {};
        auto& rename = *reinterpret_cast<Record*>(record);
        rename.ReplaceIfExists = TRUE;
        // Vista and later take the path as every file function does; ntdll
        // takes none, only a name in a folder opened for it.
        std::wstring name = destination;
        KernelHandle folder;
        if (!kernel_) {
            folder.reset(CreateFileA(ansiFolder.empty() ? "." : ansiFolder.c_str(), FILE_TRAVERSE,
                                     kShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                     nullptr));
            if (!folder) {
                return LastFailure();
            }
            rename.RootDirectory = folder.get();
            name = NameIn(destination);
        }
        rename.FileNameLength = static_cast<DWORD>(name.size() * sizeof(wchar_t));
        std::memcpy(record + offsetof(Record, FileName), name.data(), rename.FileNameLength);
        return Set(file, later::kRenameRecord, later::kNativeRenameRecord, record, sizeof record);
    }

private:
    DWORD Set(HANDLE file, later::FileRecordKind kind, later::NativeRecordKind nativeKind,
              void* record, DWORD size) const {
        if (kernel_) {
            return kernel_(file, kind, record, size) ? ERROR_SUCCESS : LastFailure();
        }
        IO_STATUS_BLOCK status{};
        const NTSTATUS result = native_(file, &status, record, size, nativeKind);
        if (result >= 0) {
            return ERROR_SUCCESS;
        }
        const DWORD error = nativeError_(result);
        return error != ERROR_SUCCESS ? error : ERROR_GEN_FAILURE;
    }

    later::SetFileInformationByHandle kernel_ =
        LATER_WINDOWS(L"kernel32.dll", SetFileInformationByHandle);
    later::NtSetInformationFile native_ = LATER_WINDOWS(L"ntdll.dll", NtSetInformationFile);
    later::RtlNtStatusToDosError nativeError_ = LATER_WINDOWS(L"ntdll.dll", RtlNtStatusToDosError);
};

// A new file under a temporary name in the folder of the copy's place, marked
// for deletion while it is open, until it is put in place. Word loads only
// templates and add-ins from its startup folder, so it never loads the copy
// under this name; the name is no longer than the template's own, so that it
// fits wherever that does.
class Temporary {
public:
    explicit Temporary(const ByHandle& byHandle) : byHandle_(byHandle) {}

    HANDLE get() const { return file_.get(); }

    DWORD Make(const std::wstring& folder) {
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
            // Only a file made here and now, never one that was there. Nobody
            // else may write into it or take it away meanwhile; readers may
            // look. An ordinary file, whatever the template is: a read-only
            // copy could never be switched off again.
            file_.reset(CreateFileA(candidate.c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_READ,
                                    nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
            if (file_) {
                // Marked at once: from here on it goes however tovrel ends.
                // Should a file system refuse the mark, the empty file stays:
                // only a delete by name could take it, which might take
                // another's.
                return byHandle_.Mark(file_.get(), true);
            }
            const DWORD error = LastFailure();
            // Taken: by a file, or by another tovrel's temporary going away.
            if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS &&
                !RefusedAsGoingAway(error)) {
                return error;  // no folder to copy into, no right to, a full disk
            }
        }
        return ERROR_FILE_EXISTS;  // every name taken
    }

    // Unmarked and renamed into the copy's place; marked again should the
    // rename fail, so that it goes when its handle closes. (A mark would go
    // with it into the copy's place.)
    DWORD Place(const std::wstring& destination, const std::string& ansiFolder) {
        if (const DWORD error = byHandle_.Mark(file_.get(), false)) {
            return error;
        }
        if (const DWORD error = byHandle_.Rename(file_.get(), destination, ansiFolder)) {
            byHandle_.Mark(file_.get(), true);
            return error;
        }
        return ERROR_SUCCESS;
    }

private:
    const ByHandle& byHandle_;
    KernelHandle file_;
};

DWORD CopyBytes(HANDLE from, HANDLE to) {
    std::string buffer(64 * 1024, '\0');
    for (;;) {
        DWORD read = 0, written = 0;
        if (!ReadFile(from, buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr)) {
            return LastFailure();
        }
        if (read == 0) {
            return ERROR_SUCCESS;
        }
        if (!WriteFile(to, buffer.data(), read, &written, nullptr)) {
            return LastFailure();  // a full disk, say
        }
        if (written != read) {
            return ERROR_WRITE_FAULT;
        }
    }
}

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

// Whether `name` is one a temporary takes: ~tv, four hex digits, .tmp.
bool IsTemporaryName(const char* name) {
    const auto hex = [](char c) { return c && std::strchr("0123456789ABCDEFabcdef", c); };
    return std::strlen(name) == 11 && _strnicmp(name, "~tv", 3) == 0 &&
           std::all_of(name + 3, name + 7, hex) && _stricmp(name + 7, ".tmp") == 0;
}

// Whether the open files hold the same bytes; `a` is read from its start.
DWORD SameBytes(HANDLE a, HANDLE b, bool& same) {
    LARGE_INTEGER sizeA{}, sizeB{};
    if (!GetFileSizeEx(a, &sizeA) || !GetFileSizeEx(b, &sizeB)) {
        return LastFailure();
    }
    same = sizeA.QuadPart == sizeB.QuadPart;
    if (!same || SetFilePointer(a, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) {
        return ERROR_SUCCESS;
    }
    std::string x(64 * 1024, '\0'), y(x);
    for (DWORD readA = 1, readB = 0; same && readA;) {
        if (!ReadFile(a, x.data(), static_cast<DWORD>(x.size()), &readA, nullptr) ||
            !ReadFile(b, y.data(), static_cast<DWORD>(y.size()), &readB, nullptr)) {
            return LastFailure();
        }
        same = readA == readB && std::memcmp(x.data(), y.data(), readA) == 0;
    }
    return ERROR_SUCCESS;
}

}  // namespace

}  // namespace platform::files

namespace platform {

using namespace files;

DWORD CopyFileReplacing(const std::wstring& source, const std::wstring& destination) {
    std::string ansiSource, ansiDestination, ansiFolder;
    if (const DWORD error = AnsiPath(source, ansiSource)) {
        return error;
    }
    if (const DWORD error = AnsiPath(destination, ansiDestination)) {
        return error;
    }
    if (const DWORD error = AnsiPath(FolderOf(destination), ansiFolder)) {
        return error;
    }
    // Before the copy, and again before the rename, since a file may come
    // while a large template is copied.
    if (const DWORD error = RefuseSpecialFile(ansiDestination)) {
        return error;
    }
    const ByHandle byHandle;
    if (!byHandle.Usable()) {
        return ERROR_NOT_SUPPORTED;  // no Windows lacks both; nothing is made without them
    }
    // Opened before anything is made: a template that is missing leaves
    // nothing to clean up.
    KernelHandle original(CreateFileA(ansiSource.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!original) {
        return LastFailure();
    }
    Temporary copy(byHandle);
    if (const DWORD error = copy.Make(FolderOf(destination))) {
        return error;
    }
    // A copy that fails half way (on a full disk, say) goes with its mark.
    if (const DWORD error = CopyBytes(original.get(), copy.get())) {
        return error;
    }
    if (const DWORD error = RefuseSpecialFile(ansiDestination)) {
        return error;
    }
    // A rename replaces the name, whatever it stood for (a second name of a
    // user's file, a link), and no half copy ever stands under it.
    return copy.Place(destination, ansiFolder);
}

}  // namespace platform

namespace platform {

DWORD ClearLeftoverCopies(const std::wstring& source, const std::wstring& destination) {
    std::string ansiSource, ansiFolder;
    if (const DWORD error = AnsiPath(source, ansiSource)) {
        return error;
    }
    if (const DWORD error = AnsiPath(FolderOf(destination), ansiFolder)) {
        return error;
    }
    WIN32_FIND_DATAA found;
    FindHandle search(FindFirstFileA((ansiFolder + "~tv????.tmp").c_str(), &found));
    if (!search) {
        const DWORD error = LastFailure();
        // No such file, or no such folder: nothing to clear.
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? ERROR_SUCCESS
                                                                              : error;
    }
    KernelHandle original(CreateFileA(ansiSource.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!original) {
        return LastFailure();  // nothing to tell a leftover by
    }
    const ByHandle byHandle;
    DWORD failure = ERROR_SUCCESS;
    do {
        if (!IsTemporaryName(found.cFileName) ||
            (found.dwFileAttributes & (kInherited | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
            continue;
        }
        // Held, while it is looked at, against every writer and every other
        // delete: a temporary that another tovrel still writes or is about to
        // rename is held by it, and refuses to open.
        KernelHandle file(CreateFileA((ansiFolder + found.cFileName).c_str(), GENERIC_READ | DELETE,
                                      FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        bool same = false;
        DWORD error = file ? SameBytes(original.get(), file.get(), same) : LastFailure();
        if (!error && same) {
            error = byHandle.Mark(file.get(), true);  // gone as the handle closes
        }
        if (error && error != ERROR_SHARING_VIOLATION && error != ERROR_FILE_NOT_FOUND) {
            failure = error;
        }
    } while (FindNextFileA(search.get(), &found));
    return failure;
}

}  // namespace platform
