#include "platform/runtime_services.h"

#include <windows.h>
#include <winternl.h>

#include <algorithm>
#include <string_view>

#include "platform/ansi_text.h"
#include "platform/handles.h"
#include "platform/later_windows.h"

// In ntdll since Windows XP, but in no header MinGW ships; declared only for
// its type, which LATER_WINDOWS takes.
extern "C" NTSTATUS NTAPI RtlGetLastNtStatus();

namespace platform {

[[noreturn]] void RaiseLastError() {
    throw ServiceError(GetLastError());
}

namespace {

constexpr DWORD kNotOrdinary =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// What a copy must not take from its template, and what keeps a file in the
// copy's place from being replaced.
constexpr DWORD kInherited =
    FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
constexpr NTSTATUS kStatusDeletePending = static_cast<NTSTATUS>(0xC0000056);

// What a file system answers for a path that names no file: nothing by that
// name, no such folder or drive, a part of the path that is a file (Windows
// says the path is not found, Wine at times that the name is invalid), a name
// no file can have.
bool MeansNothingThere(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
           error == ERROR_INVALID_NAME || error == ERROR_DIRECTORY || error == ERROR_BAD_PATHNAME;
}

// The path as the ANSI file functions will read it, refused before any file
// call when they could not take it whole: they stop at a NUL; they turn the
// path back into Unicode in room for MAX_PATH characters, cutting or wrapping a
// longer one; and they read a character the code page lacks as another. Each
// would make them act on some other file.
std::string AnsiPath(const std::wstring& path) {
    if (path.find(L'\0') != std::wstring::npos) {
        throw ServiceError(ERROR_INVALID_NAME);
    }
    if (path.size() >= MAX_PATH) {
        throw ServiceError(ERROR_FILENAME_EXCED_RANGE);
    }
    std::string ansi = ToAnsi(path);
    // A default or best-fit character does not come back as it went in.
    if (FromAnsi(ansi) != path) {
        throw ServiceError(ERROR_NO_UNICODE_TRANSLATION);
    }
    return ansi;
}

// Windows opens no file that is marked for deletion, and says so as for a lack
// of rights; only the NT status tells the two apart. Asked right after the
// failed call.
bool RefusedAsGoingAway(DWORD error) {
    const auto lastStatus = LATER_WINDOWS(L"ntdll.dll", RtlGetLastNtStatus);
    return error == ERROR_ACCESS_DENIED && lastStatus && lastStatus() == kStatusDeletePending;
}

// What lies at `ansiPath`, opened to be looked at, with no access rights:
// looking must never disturb the file or anyone holding it. A folder opens
// too, to be told from a file. Null when the path names nothing, or a file
// marked for deletion; raises when it cannot tell.
KernelHandle OpenToLook(const std::string& ansiPath) {
    KernelHandle file(CreateFileA(ansiPath.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file) {
        const DWORD error = GetLastError();
        if (!MeansNothingThere(error) && !RefusedAsGoingAway(error)) {
            throw ServiceError(error);
        }
    }
    return file;
}

// Whether the open file is marked for deletion: its name stays until the last
// holder lets go, and then the file is gone.
bool DeletePending(HANDLE file) {
    if (const auto query = LATER_WINDOWS(L"kernel32.dll", GetFileInformationByHandleEx)) {
        FILE_STANDARD_INFO standard{};
        if (!query(file, FileStandardInfo, &standard, sizeof standard)) {
            RaiseLastError();
        }
        return standard.DeletePending;
    }
    // Windows XP has the same record only from ntdll; where that cannot be
    // asked either, the mark goes unseen, as under Wine, which never sets it.
    if (const auto query = LATER_WINDOWS(L"ntdll.dll", NtQueryInformationFile)) {
        IO_STATUS_BLOCK status{};
        FILE_STANDARD_INFORMATION standard{};
        if (query(file, &status, &standard, sizeof standard, FileStandardInformation) < 0) {
            throw ServiceError(ERROR_NOT_SUPPORTED);
        }
        return standard.DeletePending;
    }
    return false;
}

// The name that `path` ends in, after its last separator.
std::wstring NameIn(const std::wstring& path) {
    return path.substr(path.find_last_of(L"\\/") + 1);
}

// The folder `path` names its file in, with its final separator.
std::wstring FolderOf(const std::wstring& path) {
    return path.substr(0, path.size() - NameIn(path).size());
}

BY_HANDLE_FILE_INFORMATION InformationOf(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION information;
    if (!GetFileInformationByHandle(file, &information)) {
        RaiseLastError();
    }
    return information;
}

// A copy of a file under a temporary name in the folder of `destination`,
// removed again unless it was put in place. Word loads only templates and
// add-ins from its startup folder, so it never loads the copy under this name;
// the name is no longer than the template's own, so that it fits wherever
// that does.
class TemporaryCopy {
public:
    TemporaryCopy(const std::string& ansiSource, const std::wstring& destination) {
        const std::wstring folder = FolderOf(destination);
        static unsigned next = GetTickCount() ^ (GetCurrentProcessId() << 8);
        for (int attempt = 0; attempt < 16; ++attempt) {
            std::wstring name = L"~tv0000.tmp";
            for (size_t digit = 6, number = next++; digit >= 3; --digit, number >>= 4) {
                name[digit] = L"0123456789ABCDEF"[number & 15];
            }
            const std::string candidate = AnsiPath(folder + name);
            // Only a name nothing answers to, so that what is removed on a
            // failure is this copy and never someone else's file.
            if (GetFileAttributesA(candidate.c_str()) != INVALID_FILE_ATTRIBUTES) {
                continue;
            }
            if (GetLastError() != ERROR_FILE_NOT_FOUND) {
                RaiseLastError();  // no folder to copy into, or it cannot be told
            }
            if (CopyFileA(ansiSource.c_str(), candidate.c_str(), /*bFailIfExists=*/TRUE)) {
                path_ = candidate;
                return;
            }
            const DWORD error = GetLastError();
            if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) {
                continue;  // taken meanwhile
            }
            // Windows removes a copy that fails half way (on a full disk, say);
            // Wine leaves the half.
            DeleteFileA(candidate.c_str());
            throw ServiceError(error);
        }
        throw ServiceError(ERROR_FILE_EXISTS);
    }
    ~TemporaryCopy() {
        if (!path_.empty()) {
            SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_NORMAL);  // read-only would stay
            DeleteFileA(path_.c_str());
        }
    }
    TemporaryCopy(const TemporaryCopy&) = delete;
    TemporaryCopy& operator=(const TemporaryCopy&) = delete;

    const std::string& path() const { return path_; }
    void Placed() { path_.clear(); }

private:
    std::string path_;
};

// Whether the open file described by `b` is the program's own `installed`
// file. Raises when it cannot tell.
bool IsInstalledFile(const std::wstring& installed, const BY_HANDLE_FILE_INFORMATION& b) {
    // The installed file by its true name: the program knows its own folder in
    // Unicode, whatever the code page can spell.
    KernelHandle own(
        CreateFileW(installed.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING, 0, nullptr));
    // Missing (the program started by another name, from a folder without
    // it, say), it cannot tell: `other` may be the installed file itself,
    // reached by another path.
    if (!own) {
        RaiseLastError();
    }
    const BY_HANDLE_FILE_INFORMATION a = InformationOf(own.get());
    const bool sameIndex =
        a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
    const bool indexKnown =
        (a.nFileIndexHigh | a.nFileIndexLow) != 0 && (b.nFileIndexHigh | b.nFileIndexLow) != 0;
    if (a.dwVolumeSerialNumber != b.dwVolumeSerialNumber && !sameIndex) {
        return false;
    }
    // Some network file systems report no index, and another volume may
    // report the same one: the two cannot be told apart.
    if (!indexKnown || a.dwVolumeSerialNumber != b.dwVolumeSerialNumber) {
        throw ServiceError(ERROR_NOT_SUPPORTED);
    }
    return sameIndex;
}

// Names as Windows compares them, without regard to case. Folding only A to
// Z may fail to match a name Windows would, and then refuses; it never
// matches one Windows would not.
bool SameName(std::wstring_view a, std::wstring_view b) {
    const auto fold = [](wchar_t c) { return c >= L'A' && c <= L'Z' ? c - L'A' + L'a' : c; };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [&](wchar_t x, wchar_t y) { return fold(x) == fold(y); });
}

using FinalPathFunction = decltype(&::GetFinalPathNameByHandleW);

// Where an open handle really leads, as its file system names it: through
// every link and short name, from the drive letter, or from the volume's
// device where it has none (a volume mounted in a folder, a file system Wine's
// mount manager does not know).
std::wstring FinalPath(FinalPathFunction finalPath, HANDLE handle) {
    std::wstring path(MAX_PATH, L'\0');
    DWORD volume = VOLUME_NAME_DOS;
    for (;;) {
        const DWORD length = finalPath(handle, path.data(), static_cast<DWORD>(path.size()),
                                       FILE_NAME_NORMALIZED | volume);
        if (length == 0 && volume == VOLUME_NAME_DOS) {
            volume = VOLUME_NAME_NT;
            continue;
        }
        if (length == 0) {
            RaiseLastError();
        }
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(length);  // the room it needs
    }
}

// Whether the open `file` is the entry that `path` names in its folder, and
// not a file that a link there leads to: its final path must be the folder's
// own final path joined with the name. The folder's final path, not its
// spelling: a mapped or subst drive, a short name or a link on the way to the
// folder lead the folder and the file alike.
bool IsNamedEntry(FinalPathFunction finalPath, HANDLE file, const std::wstring& path) {
    const std::wstring name = NameIn(path);
    KernelHandle folder(CreateFileA(AnsiPath(FolderOf(path)).c_str(), 0, kShareAll, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!folder) {
        RaiseLastError();
    }
    std::wstring expected = FinalPath(finalPath, folder.get());
    if (expected.empty() || expected.back() != L'\\') {
        expected += L'\\';
    }
    const std::wstring actual = FinalPath(finalPath, file);
    return actual.size() > expected.size() && actual.compare(0, expected.size(), expected) == 0 &&
           SameName(std::wstring_view(actual).substr(expected.size()), name);
}

// Whether its folder lists the file at `ansiPath` under `name`, and not under
// another name that `name` is only the short name of.
bool IsListedByName(const std::string& ansiPath, const std::wstring& name) {
    WIN32_FIND_DATAA found;
    FindHandle listed(FindFirstFileA(ansiPath.c_str(), &found));
    if (!listed) {
        RaiseLastError();
    }
    return SameName(FromAnsi(found.cFileName), name);
}

}  // namespace

std::wstring ProgramDirectory() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            RaiseLastError();
        }
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);  // truncated: long paths need more room
    }
    const size_t lastSeparator = path.find_last_of(L'\\');
    if (lastSeparator == std::wstring::npos) {
        RaiseLastError();
    }
    path.resize(lastSeparator);
    if (path.size() == 2 && path[1] == L':') {
        path += L'\\';  // a drive's root keeps its separator, as "C:\"
    }
    return path;
}

bool OrdinaryFileLiesAt(const std::wstring& path) {
    const KernelHandle file = OpenToLook(AnsiPath(path));
    if (!file) {
        return false;
    }
    return (InformationOf(file.get()).dwFileAttributes & kNotOrdinary) == 0 &&
           !DeletePending(file.get());
}

void CopyFileReplacing(const std::wstring& source, const std::wstring& destination) {
    const std::string ansiSource = AnsiPath(source);
    const std::string ansiDestination = AnsiPath(destination);
    // Windows refuses to copy over a read-only, hidden or system file; a
    // rename refuses only a read-only one, and Wine's not even that. Refusing
    // here keeps such a file as it is on both: before the copy, and again
    // before the rename, since a file may come while a large template is
    // copied.
    const auto refuseSpecialFile = [&] {
        const DWORD existing = GetFileAttributesA(ansiDestination.c_str());
        if (existing != INVALID_FILE_ATTRIBUTES && (existing & kInherited) != 0) {
            throw ServiceError(ERROR_ACCESS_DENIED);
        }
    };
    refuseSpecialFile();
    TemporaryCopy copy(ansiSource, destination);
    const DWORD attributes = GetFileAttributesA(copy.path().c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        RaiseLastError();
    }
    if ((attributes & kInherited) != 0) {
        DWORD plain = attributes & ~kInherited;
        if (plain == 0) {
            plain = FILE_ATTRIBUTE_NORMAL;
        }
        if (!SetFileAttributesA(copy.path().c_str(), plain)) {
            RaiseLastError();
        }
    }
    refuseSpecialFile();
    // A rename replaces the name, whatever it stood for (a second name of a
    // user's file, a link), and no half copy ever stands under it.
    if (!MoveFileExA(copy.path().c_str(), ansiDestination.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        RaiseLastError();
    }
    copy.Placed();
}

bool IsSameFile(const std::wstring& installed, const std::wstring& path) {
    const KernelHandle other = OpenToLook(AnsiPath(path));
    // Nothing there to mistake for the installed file.
    return other && IsInstalledFile(installed, InformationOf(other.get()));
}

void DeleteFileAt(const std::wstring& path, const std::wstring& keep) {
    // Opened once, then checked and deleted through that one handle: a name
    // that changes meanwhile (a link switched over, say) cannot send the
    // delete to another file than the one checked.
    const std::string ansiPath = AnsiPath(path);
    // A link is opened as the link itself: deleting it loses nothing, where
    // the file it leads to may be anyone's.
    KernelHandle file(CreateFileA(ansiPath.c_str(), DELETE | FILE_READ_ATTRIBUTES, kShareAll,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file) {
        RaiseLastError();
    }
    const BY_HANDLE_FILE_INFORMATION information = InformationOf(file.get());
    if (IsInstalledFile(keep, information)) {
        throw ServiceError(ERROR_ACCESS_DENIED);
    }
    // Looked at again through this handle: a hidden or system file that took
    // the copy's place after the presence check stays, as one there before.
    if ((information.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0) {
        throw ServiceError(ERROR_ACCESS_DENIED);
    }
    const auto finalPath = LATER_WINDOWS(L"kernel32.dll", GetFinalPathNameByHandleW);
    const auto setInformation = LATER_WINDOWS(L"kernel32.dll", SetFileInformationByHandle);
    if (finalPath && setInformation) {
        // A link that is no reparse point (a Unix symbolic link under Wine)
        // opens as the file it leads to.
        if (!IsNamedEntry(finalPath, file.get(), path)) {
            throw ServiceError(ERROR_ACCESS_DENIED);
        }
        FILE_DISPOSITION_INFO disposition{TRUE};
        // Read-only or held without sharing the delete: refused, as by name.
        if (!setInformation(file.get(), FileDispositionInfo, &disposition, sizeof disposition)) {
            RaiseLastError();
        }
        return;  // gone when the handle closes
    }
    // Windows XP has neither function, nor symbolic links to files: there a
    // name leads to another file only as that file's short name (which
    // SetFileShortName can set). So the folder must list the file under the
    // name asked for, and the file then goes by name.
    if (!IsListedByName(ansiPath, NameIn(path))) {
        throw ServiceError(ERROR_ACCESS_DENIED);
    }
    file.reset();
    if (!DeleteFileA(ansiPath.c_str())) {
        RaiseLastError();
    }
}

}  // namespace platform
