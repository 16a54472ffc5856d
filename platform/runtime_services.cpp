#include "platform/runtime_services.h"

#include <windows.h>

#include "platform/ansi_text.h"
#include "platform/handles.h"
#include "platform/later_windows.h"

namespace platform {

[[noreturn]] void RaiseLastError() {
    throw ServiceError(GetLastError());
}

namespace {

constexpr DWORD kNotOrdinary =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

bool MeansNothingThere(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
           error == ERROR_NO_MORE_FILES;
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

// Whether the open file `other` is the program's own `installed` file. Raises
// when it cannot tell.
bool IsInstalledFile(const std::wstring& installed, HANDLE other) {
    // The installed file by its true name: the program knows its own folder in
    // Unicode, whatever the code page can spell.
    KernelHandle own(
        CreateFileW(installed.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!own) {
        if (GetLastError() == ERROR_FILE_NOT_FOUND) {
            return false;  // missing from a folder that is there: nothing to lose
        }
        RaiseLastError();
    }
    BY_HANDLE_FILE_INFORMATION a, b;
    if (!GetFileInformationByHandle(own.get(), &a) || !GetFileInformationByHandle(other, &b)) {
        RaiseLastError();
    }
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

std::wstring FindFirstOrdinaryFile(const std::wstring& path) {
    WIN32_FIND_DATAA found;
    FindHandle search(FindFirstFileA(AnsiPath(path).c_str(), &found));
    if (!search) {
        const DWORD error = GetLastError();
        if (MeansNothingThere(error)) {
            return {};
        }
        throw ServiceError(error);
    }
    do {
        if ((found.dwFileAttributes & kNotOrdinary) == 0) {
            return FromAnsi(found.cFileName);
        }
    } while (FindNextFileA(search.get(), &found));
    return {};
}

void CopyFileReplacing(const std::wstring& source, const std::wstring& destination) {
    const std::string ansiSource = AnsiPath(source);
    const std::string ansiDestination = AnsiPath(destination);
    constexpr DWORD kInherited =
        FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    // Windows refuses to copy over a read-only, hidden or system file; Wine
    // copies over a hidden one. Refusing here keeps such a file as it is on
    // both. A link is refused too: the copy would go into the file it leads to.
    WIN32_FILE_ATTRIBUTE_DATA before{};
    const bool existed =
        GetFileAttributesExA(ansiDestination.c_str(), GetFileExInfoStandard, &before);
    if (existed && (before.dwFileAttributes & (kInherited | FILE_ATTRIBUTE_REPARSE_POINT))) {
        throw ServiceError(ERROR_ACCESS_DENIED);
    }
    if (!CopyFileA(ansiSource.c_str(), ansiDestination.c_str(), FALSE)) {
        const DWORD error = GetLastError();
        // Windows removes a copy that fails half way (on a full disk, say);
        // Wine leaves the half, which would read as the add-in switched on.
        // What the failed copy wrote goes; a file it never touched stays.
        WIN32_FILE_ATTRIBUTE_DATA after{};
        if (GetFileAttributesExA(ansiDestination.c_str(), GetFileExInfoStandard, &after) &&
            (!existed || CompareFileTime(&after.ftLastWriteTime, &before.ftLastWriteTime) != 0 ||
             after.nFileSizeLow != before.nFileSizeLow ||
             after.nFileSizeHigh != before.nFileSizeHigh)) {
            try {
                DeleteFileAt(destination, source);
            } catch (const ServiceError&) {
                // Nothing more can be done; the presence check judges.
            }
        }
        throw ServiceError(error);
    }
    const DWORD attributes = GetFileAttributesA(ansiDestination.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        RaiseLastError();
    }
    if ((attributes & kInherited) != 0) {
        DWORD plain = attributes & ~kInherited;
        if (plain == 0) {
            plain = FILE_ATTRIBUTE_NORMAL;
        }
        if (!SetFileAttributesA(ansiDestination.c_str(), plain)) {
            RaiseLastError();
        }
    }
}

bool IsSameFile(const std::wstring& installed, const std::wstring& path) {
    // No access rights: looking must never disturb the file or anyone holding it.
    KernelHandle other(
        CreateFileA(AnsiPath(path).c_str(), 0, kShareAll, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!other) {
        if (MeansNothingThere(GetLastError())) {
            return false;  // nothing there to mistake for the installed file
        }
        RaiseLastError();
    }
    return IsInstalledFile(installed, other.get());
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
    if (IsInstalledFile(keep, file.get())) {
        throw ServiceError(ERROR_ACCESS_DENIED);
    }
    if (const auto setInformation = LATER_WINDOWS(L"kernel32.dll", SetFileInformationByHandle)) {
        FILE_DISPOSITION_INFO disposition{TRUE};
        // Read-only or held without sharing the delete: refused, as by name.
        if (!setInformation(file.get(), FileDispositionInfo, &disposition, sizeof disposition)) {
            RaiseLastError();
        }
        return;  // gone when the handle closes
    }
    // Windows XP deletes only by name.
    file.reset();
    if (!DeleteFileA(ansiPath.c_str())) {
        RaiseLastError();
    }
}

}  // namespace platform
