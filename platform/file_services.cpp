#include <windows.h>

#include "platform/ansi_text.h"
#include "platform/runtime_services.h"
#include "platform/win32_handle.h"

namespace platform {

[[noreturn]] void RaiseLastError() {
    throw ServiceError(GetLastError());
}

namespace {

constexpr DWORD kNotOrdinary =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;

bool MeansNothingThere(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
           error == ERROR_NO_MORE_FILES;
}

}  // namespace

std::wstring FindFirstOrdinaryFile(const std::wstring& path) {
    WIN32_FIND_DATAA found;
    FindHandle search(FindFirstFileA(ToAnsi(path).c_str(), &found));
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
    const std::string ansiDestination = ToAnsi(destination);
    constexpr DWORD kInherited =
        FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    // Windows refuses to copy over a read-only, hidden or system file; Wine
    // copies over a hidden one. Refusing here keeps such a file as it is on both.
    const DWORD existing = GetFileAttributesA(ansiDestination.c_str());
    if (existing != INVALID_FILE_ATTRIBUTES && (existing & kInherited) != 0) {
        throw ServiceError(ERROR_ACCESS_DENIED);
    }
    if (!CopyFileA(ToAnsi(source).c_str(), ansiDestination.c_str(), FALSE)) {
        RaiseLastError();
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

void DeleteFileAt(const std::wstring& path) {
    if (!DeleteFileA(ToAnsi(path).c_str())) {
        RaiseLastError();
    }
}

bool IsSameFile(const std::wstring& first, const std::wstring& second) {
    auto identify = [](const std::wstring& path, BY_HANDLE_FILE_INFORMATION& info) {
        // No access rights and full sharing: looking must never disturb the file
        // or anyone holding it.
        FileHandle file(CreateFileA(ToAnsi(path).c_str(), 0,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
        return file && GetFileInformationByHandle(file.get(), &info);
    };
    BY_HANDLE_FILE_INFORMATION a, b;
    // Some network file systems report no file index at all; such files are
    // never taken for one another.
    return identify(first, a) && identify(second, b) && (a.nFileIndexHigh | a.nFileIndexLow) &&
           a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
           a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
}

}  // namespace platform
