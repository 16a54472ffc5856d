#include "platform/files.h"

#include "platform/ansi_text.h"
#include "platform/files_internal.h"
#include "platform/handles.h"
#include "platform/later_windows.h"

namespace platform::files {

DWORD LastFailure() {
    const DWORD error = GetLastError();
    return error != ERROR_SUCCESS ? error : ERROR_GEN_FAILURE;
}

// The path as the ANSI file functions will read it, refused before any file
// call when it is empty (no folder could be worked out) or when they could
// not take it whole: they stop at a NUL; they turn the
// path back into Unicode in room for MAX_PATH characters, cutting or wrapping a
// longer one; and they read a character the code page lacks as another. Each
// would make them act on some other file.
DWORD AnsiPath(const std::wstring& path, std::string& ansi) {
    if (path.empty() || path.find(L'\0') != std::wstring::npos) {
        return ERROR_INVALID_NAME;
    }
    if (path.size() >= MAX_PATH) {
        return ERROR_FILENAME_EXCED_RANGE;
    }
    ansi = ToAnsi(path);
    // A default or best-fit character does not come back as it went in.
    if (FromAnsi(ansi) != path) {
        ansi.clear();
        return ERROR_NO_UNICODE_TRANSLATION;
    }
    return ERROR_SUCCESS;
}

std::wstring NameIn(const std::wstring& path) {
    return path.substr(path.find_last_of(L"\\/") + 1);
}

std::wstring FolderOf(const std::wstring& path) {
    return path.substr(0, path.size() - NameIn(path).size());
}

DWORD InformationOf(HANDLE file, BY_HANDLE_FILE_INFORMATION& information) {
    return GetFileInformationByHandle(file, &information) ? ERROR_SUCCESS : LastFailure();
}

namespace {

constexpr DWORD kNotOrdinary =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;

// What a file system answers for a path that names no file: nothing by that
// name, no such folder or drive, a part of the path that is a file (Windows
// says the path is not found, Wine at times that the name is invalid), a name
// no file can have.
bool MeansNothingThere(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
           error == ERROR_INVALID_NAME || error == ERROR_DIRECTORY || error == ERROR_BAD_PATHNAME;
}

// Whether the open file is marked for deletion: its name stays until the last
// holder lets go, and then the file is gone.
DWORD DeletePending(HANDLE file, bool& pending) {
    pending = false;
    if (const auto query = LATER_WINDOWS(L"kernel32.dll", GetFileInformationByHandleEx)) {
        later::StandardRecord standard{};
        if (!query(file, later::kStandardRecord, &standard, sizeof standard)) {
            return LastFailure();
        }
        pending = standard.DeletePending;
        return ERROR_SUCCESS;
    }
    // Windows XP has the same record only from ntdll; where that cannot be
    // asked either, the mark goes unseen, as under Wine, which never sets it.
    if (const auto query = LATER_WINDOWS(L"ntdll.dll", NtQueryInformationFile)) {
        IO_STATUS_BLOCK status{};
        later::NativeStandardRecord standard{};
        if (query(file, &status, &standard, sizeof standard, later::kNativeStandardRecord) < 0) {
            return ERROR_NOT_SUPPORTED;
        }
        pending = standard.DeletePending;
    }
    return ERROR_SUCCESS;
}

// Answers into `error`, so that OrdinaryFileAt can set the thread's last error
// once every handle and string here is gone.
Presence LookForOrdinaryFile(const std::wstring& path, DWORD& error) {
    std::string ansiPath;
    if ((error = AnsiPath(path, ansiPath))) {
        return Presence::CannotTell;
    }
    KernelHandle file;
    if ((error = OpenToLook(ansiPath, file))) {
        return Presence::CannotTell;
    }
    if (!file) {
        return Presence::Off;
    }
    BY_HANDLE_FILE_INFORMATION information;
    if ((error = InformationOf(file.get(), information))) {
        return Presence::CannotTell;
    }
    bool pending = false;
    if ((error = DeletePending(file.get(), pending))) {
        return Presence::CannotTell;
    }
    return (information.dwFileAttributes & kNotOrdinary) == 0 && !pending ? Presence::On
                                                                          : Presence::Off;
}

DWORD FindProgramDirectory(std::wstring& directory) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return LastFailure();
        }
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);  // truncated: long paths need more room
    }
    const size_t lastSeparator = path.find_last_of(L'\\');
    if (lastSeparator == std::wstring::npos) {
        return ERROR_BAD_PATHNAME;
    }
    path.resize(lastSeparator);
    if (path.size() == 2 && path[1] == L':') {
        path += L'\\';  // a drive's root keeps its separator, as "C:\"
    }
    directory = std::move(path);
    return ERROR_SUCCESS;
}

}  // namespace

// Windows opens no file that is marked for deletion, and says so as for a lack
// of rights; only the NT status tells the two apart.
bool RefusedAsGoingAway(DWORD error) {
    const auto lastStatus = LATER_WINDOWS(L"ntdll.dll", RtlGetLastNtStatus);
    return error == ERROR_ACCESS_DENIED && lastStatus && lastStatus() == later::kDeletePending;
}

// What lies at `ansiPath`, opened to be looked at, with no access rights:
// looking must never disturb the file or anyone holding it. A folder opens
// too, to be told from a file.
DWORD OpenToLook(const std::string& ansiPath, KernelHandle& file) {
    file.reset(CreateFileA(ansiPath.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file) {
        const DWORD error = LastFailure();
        if (!MeansNothingThere(error) && !RefusedAsGoingAway(error)) {
            return error;
        }
    }
    return ERROR_SUCCESS;
}

}  // namespace platform::files

namespace platform {

using namespace files;

std::wstring ProgramDirectory() {
    std::wstring directory;
    if (const DWORD error = FindProgramDirectory(directory)) {
        SetLastError(error);
    }
    return directory;
}

Presence OrdinaryFileAt(const std::wstring& path) {
    DWORD error = ERROR_SUCCESS;
    const Presence presence = LookForOrdinaryFile(path, error);
    if (presence == Presence::CannotTell) {
        SetLastError(error);
    }
    return presence;
}

DWORD DeleteFileAt(const std::wstring& path, const std::wstring& keep) {
    // Opened once, then checked and deleted through that one handle: a name
    // that changes meanwhile (a link switched over, say) cannot send the
    // delete to another file than the one checked.
    std::string ansiPath;
    if (const DWORD error = AnsiPath(path, ansiPath)) {
        return error;
    }
    // A link is opened as the link itself: deleting it loses nothing, where
    // the file it leads to may be anyone's.
    KernelHandle file(CreateFileA(ansiPath.c_str(), DELETE | FILE_READ_ATTRIBUTES, kShareAll,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file) {
        return LastFailure();
    }
    BY_HANDLE_FILE_INFORMATION information;
    bool installed = true;
    if (const DWORD error = InformationOf(file.get(), information)) {
        return error;
    }
    if (const DWORD error = IsInstalledFile(keep, file.get(), installed)) {
        return error;
    }
    if (installed) {
        return ERROR_ACCESS_DENIED;
    }
    // Looked at again through this handle: a hidden or system file that took
    // the copy's place after the presence check stays, as one there before.
    if ((information.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0) {
        return ERROR_ACCESS_DENIED;
    }
    const auto finalPath = LATER_WINDOWS(L"kernel32.dll", GetFinalPathNameByHandleW);
    const auto setInformation = LATER_WINDOWS(L"kernel32.dll", SetFileInformationByHandle);
    bool named = false;
    if (finalPath && setInformation) {
        // A link that is no reparse point (a Unix symbolic link under Wine)
        // opens as the file it leads to.
        if (const DWORD error = IsNamedEntry(finalPath, file.get(), path, named)) {
            return error;
        }
        if (!named) {
            return ERROR_ACCESS_DENIED;
        }
        later::DispositionRecord disposition{TRUE};
        // Read-only or held without sharing the delete: refused, as by name.
        if (!setInformation(file.get(), later::kDispositionRecord, &disposition,
                            sizeof disposition)) {
            return LastFailure();
        }
        return ERROR_SUCCESS;  // gone when the handle closes, before the caller goes on
    }
    // Windows XP has neither function, nor symbolic links to files: there a
    // name leads to another file only as that file's short name (which
    // SetFileShortName can set). So the folder must list the file under the
    // name asked for, and the file then goes by name.
    if (const DWORD error = IsListedByName(ansiPath, NameIn(path), named)) {
        return error;
    }
    if (!named) {
        return ERROR_ACCESS_DENIED;
    }
    file.reset();
    return DeleteFileA(ansiPath.c_str()) ? ERROR_SUCCESS : LastFailure();
}

}  // namespace platform
