#include "platform/files.h"

#include <cstring>

#include "platform/ansi_text.h"
#include "platform/later_windows.h"

namespace platform {

std::wstring ProgramDirectory() {
    std::wstring path(MAX_PATH, L'\0');
    DWORD length;
    while ((length = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()))) == path.size()) {
        path.resize(path.size() * 2);  // truncated: long paths need more room
    }
    path.resize(length);
    const size_t separator = path.find_last_of(L'\\');
    if (length == 0 || separator == std::wstring::npos) {
        SetLastError(length ? ERROR_BAD_PATHNAME : LastFailure());
        return L"";
    }
    path.resize(separator);
    return path.size() == 2 && path[1] == L':' ? path + L'\\' : path;  // "C:\"
}

DWORD LastFailure() {
    const DWORD error = GetLastError();
    return error != ERROR_SUCCESS ? error : ERROR_GEN_FAILURE;
}

// The ANSI file functions stop at a NUL; they turn the path back into Unicode
// in room for MAX_PATH characters, cutting or wrapping a longer one; and they
// read a character the code page lacks as another. Each would act on some
// other file.
DWORD AnsiPath(const std::wstring& path, std::string& ansi) {
    if (path.empty() || path.find(L'\0') != std::wstring::npos) {
        return ERROR_INVALID_NAME;
    }
    if (path.size() >= MAX_PATH) {
        return ERROR_FILENAME_EXCED_RANGE;
    }
    ansi = ToAnsi(path);
    return FromAnsi(ansi) == path ? ERROR_SUCCESS : ERROR_NO_UNICODE_TRANSLATION;
}

std::wstring FolderOf(const std::wstring& path) {
    return path.substr(0, path.find_last_of(L"\\/") + 1);
}

DWORD Open(const std::wstring& path, DWORD access, DWORD share, DWORD disposition, DWORD flags,
           KernelHandle& file) {
    std::string ansi;
    if (const DWORD error = AnsiPath(path, ansi)) {
        return error;
    }
    file.reset(CreateFileA(ansi.c_str(), access, share, nullptr, disposition, flags, nullptr));
    return file ? ERROR_SUCCESS : LastFailure();
}

DWORD OpenToLook(const std::wstring& path, DWORD flags, KernelHandle& file) {
    std::string ansi;
    if (const DWORD error = AnsiPath(path, ansi)) {
        return error;
    }
    file.reset(CreateFileA(ansi.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS | flags, nullptr));
    const DWORD error = file ? ERROR_SUCCESS : LastFailure();
    // Wine names a path through a file an invalid name; Windows, not found.
    const bool nothing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
                         error == ERROR_INVALID_NAME || error == ERROR_DIRECTORY ||
                         error == ERROR_BAD_PATHNAME || RefusedAsGoingAway(error);
    return nothing ? ERROR_SUCCESS : error;
}

DWORD FilesMatching(const std::wstring& pattern, DWORD excluded, std::vector<std::wstring>& names) {
    std::string ansi;
    if (const DWORD error = AnsiPath(pattern, ansi)) {
        return error;
    }
    WIN32_FIND_DATAA found;
    const FindHandle search(FindFirstFileA(ansi.c_str(), &found));
    if (!search) {
        const DWORD error = LastFailure();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? ERROR_SUCCESS
                                                                              : error;
    }
    do {
        if ((found.dwFileAttributes & excluded) == 0) {
            names.push_back(FromAnsi(found.cFileName));
        }
    } while (FindNextFileA(search.get(), &found));
    return ERROR_SUCCESS;
}

DWORD AttributesOf(HANDLE file, DWORD& attributes) {
    BY_HANDLE_FILE_INFORMATION information;
    if (!GetFileInformationByHandle(file, &information)) {
        return LastFailure();
    }
    attributes = information.dwFileAttributes;
    return ERROR_SUCCESS;
}

// Only the NT status tells a file marked for deletion from a lack of rights.
bool RefusedAsGoingAway(DWORD error) {
    return error == ERROR_ACCESS_DENIED &&
           LATER_WINDOWS(L"ntdll.dll", RtlGetLastNtStatus)() == later::kDeletePending;
}

DWORD CopyBytes(HANDLE from, HANDLE to) {
    std::string buffer(64 * 1024, '\0');
    for (DWORD read = 1, written = 0; read;) {
        if (!ReadFile(from, buffer.data(), DWORD(buffer.size()), &read, nullptr) ||
            !WriteFile(to, buffer.data(), read, &written, nullptr)) {
            return LastFailure();  // a full disk, say
        }
        if (written != read) {
            return ERROR_WRITE_FAULT;
        }
    }
    return ERROR_SUCCESS;
}

DWORD SameBytes(HANDLE a, HANDLE b, bool& same) {
    LARGE_INTEGER sizeA{}, sizeB{};
    if (!GetFileSizeEx(a, &sizeA) || !GetFileSizeEx(b, &sizeB) ||
        SetFilePointer(a, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) {
        return LastFailure();
    }
    same = sizeA.QuadPart == sizeB.QuadPart;
    std::string x(64 * 1024, '\0'), y(x);
    for (DWORD readA = 1, readB = 0; same && readA;) {
        if (!ReadFile(a, x.data(), DWORD(x.size()), &readA, nullptr) ||
            !ReadFile(b, y.data(), DWORD(y.size()), &readB, nullptr)) {
            return LastFailure();
        }
        same = readA == readB && std::memcmp(x.data(), y.data(), readA) == 0;
    }
    return ERROR_SUCCESS;
}

}  // namespace platform
