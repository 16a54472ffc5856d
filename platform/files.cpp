#include "platform/files.h"

#include <cstddef>
#include <cstring>
#include <tuple>

#include "platform/ansi_text.h"
#include "platform/later_windows.h"

namespace platform {

namespace {

DWORD LastFailure() {
    const DWORD error = GetLastError();
    return error != ERROR_SUCCESS ? error : ERROR_GEN_FAILURE;
}

DWORD FromNtStatus(NTSTATUS status) {
    const DWORD error = status < 0 ? LATER_WINDOWS(L"ntdll.dll", RtlNtStatusToDosError)(status) : 0;
    return status >= 0 ? ERROR_SUCCESS : error ? error : ERROR_GEN_FAILURE;
}

// The ANSI functions stop at a NUL, cut a path of MAX_PATH or more and read a
// character the code page lacks as another: each would act on another file.
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

// SetFileInformationByHandle from Vista on; on XP ntdll's, with the same records.
DWORD SetRecord(HANDLE file, later::FileRecordKind kind, later::NativeRecordKind nativeKind,
                void* record, DWORD size) {
    if (const auto set = LATER_WINDOWS(L"kernel32.dll", SetFileInformationByHandle)) {
        return set(file, kind, record, size) ? ERROR_SUCCESS : LastFailure();
    }
    IO_STATUS_BLOCK status{};
    return FromNtStatus(
        LATER_WINDOWS(L"ntdll.dll", NtSetInformationFile)(file, &status, record, size, nativeKind));
}

// Where an open handle leads, from its drive letter or else its volume's device.
DWORD FinalPath(HANDLE handle, std::wstring& path) {
    const auto finalPath = LATER_WINDOWS(L"kernel32.dll", GetFinalPathNameByHandleW);
    if (!finalPath) {
        return ERROR_NOT_SUPPORTED;  // Windows XP
    }
    for (DWORD volume : {later::kDosVolumeName, later::kNtVolumeName}) {
        path.assign(MAX_PATH, L'\0');
        DWORD length;
        while ((length = finalPath(handle, path.data(), DWORD(path.size()), volume)) >=
               path.size()) {
            path.resize(length);  // the room it needs
        }
        if (length != 0) {
            path.resize(length);
            return ERROR_SUCCESS;
        }
    }
    return LastFailure();
}

}  // namespace

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
    if (const DWORD refused = AnsiPath(path, ansi)) {
        return refused;  // never taken for "nothing there"
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

bool RefusedAsGoingAway(DWORD error) {
    return error == ERROR_ACCESS_DENIED &&
           LATER_WINDOWS(L"ntdll.dll", RtlGetLastNtStatus)() == later::kDeletePending;
}

DWORD IsDeletePending(HANDLE file, bool& pending) {
    // ntdll's query, which Windows XP has too. Wine never sets the mark.
    IO_STATUS_BLOCK status{};
    later::NativeStandardRecord standard{};
    const DWORD error = FromNtStatus(LATER_WINDOWS(L"ntdll.dll", NtQueryInformationFile)(
        file, &status, &standard, sizeof standard, later::kNativeStandardRecord));
    pending = !error && standard.DeletePending;
    return error;
}

DWORD MarkForDeletion(HANDLE file, bool marked) {
    later::DispositionRecord disposition{marked};
    return SetRecord(file, later::kDispositionRecord, later::kNativeDispositionRecord, &disposition,
                     sizeof disposition);
}

DWORD RenameReplacing(HANDLE file, const std::wstring& destination) {
    std::string ansi;
    if (const DWORD error = AnsiPath(destination, ansi)) {
        return error;  // also what keeps the name within the record
    }
    using Record = later::RenameRecord;
    alignas(Record) BYTE record[offsetof(Record, FileName) + MAX_PATH * sizeof(wchar_t)] = {};
    auto& rename = *reinterpret_cast<Record*>(record);
    rename.ReplaceIfExists = TRUE;
    // Vista and later take a path; ntdll only a name in a folder opened for it.
    std::wstring name = destination;
    KernelHandle folder;
    if (!LATER_WINDOWS(L"kernel32.dll", SetFileInformationByHandle)) {
        const std::wstring folderPath = FolderOf(destination);
        if (const DWORD error =
                Open(folderPath.empty() ? L"." : folderPath, FILE_TRAVERSE, kShareAll,
                     OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, folder)) {
            return error;
        }
        rename.RootDirectory = folder.get();
        name.erase(0, folderPath.size());
    }
    rename.FileNameLength = DWORD(name.size() * sizeof(wchar_t));
    std::memcpy(record + offsetof(Record, FileName), name.data(), rename.FileNameLength);
    return SetRecord(file, later::kRenameRecord, later::kNativeRenameRecord, record, sizeof record);
}

DWORD AreSameFile(HANDLE a, HANDLE b, bool& same) {
    // The 128-bit ID (8 and later) first: on ReFS two files may share an index.
    later::IdRecord p{}, q{};
    const BYTE none[sizeof p.FileId] = {};
    const auto query = LATER_WINDOWS(L"kernel32.dll", GetFileInformationByHandleEx);
    if (query && query(a, later::kIdRecord, &p, sizeof p) &&
        query(b, later::kIdRecord, &q, sizeof q) && std::memcmp(p.FileId, none, sizeof none) &&
        std::memcmp(q.FileId, none, sizeof none)) {
        same = p.VolumeSerialNumber == q.VolumeSerialNumber &&
               std::memcmp(p.FileId, q.FileId, sizeof none) == 0;
        return ERROR_SUCCESS;
    }
    BY_HANDLE_FILE_INFORMATION x, y;
    if (!GetFileInformationByHandle(a, &x) || !GetFileInformationByHandle(b, &y)) {
        return LastFailure();
    }
    const bool sameVolume = x.dwVolumeSerialNumber == y.dwVolumeSerialNumber;
    const bool sameIndex =
        x.nFileIndexHigh == y.nFileIndexHigh && x.nFileIndexLow == y.nFileIndexLow;
    const bool indexKnown =
        (x.nFileIndexHigh | x.nFileIndexLow) && (y.nFileIndexHigh | y.nFileIndexLow);
    if ((sameVolume && indexKnown) || (!sameVolume && !sameIndex)) {
        same = sameVolume && sameIndex;
        return ERROR_SUCCESS;
    }
    // No index (a network share): where each leads. Two paths are two files only
    // when times or sizes differ too: a server has more than one name.
    std::wstring pathOfA, pathOfB;
    if (FinalPath(a, pathOfA) || FinalPath(b, pathOfB)) {
        return ERROR_NOT_SUPPORTED;
    }
    const auto stamp = [](const BY_HANDLE_FILE_INFORMATION& i) {
        return std::make_tuple(i.ftCreationTime.dwLowDateTime, i.ftCreationTime.dwHighDateTime,
                               i.ftLastWriteTime.dwLowDateTime, i.ftLastWriteTime.dwHighDateTime,
                               i.nFileSizeLow, i.nFileSizeHigh);
    };
    // Folded A to Z only, as the C locale does: a match may be missed, never made up.
    same = _wcsicmp(pathOfA.c_str(), pathOfB.c_str()) == 0;
    return same || stamp(x) != stamp(y) ? ERROR_SUCCESS : ERROR_NOT_SUPPORTED;
}

DWORD IsFileAt(const std::wstring& path, HANDLE file, bool& same) {
    const KernelHandle own(
        CreateFileW(path.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING, 0, nullptr));
    return own ? AreSameFile(own.get(), file, same) : LastFailure();
}

// The file's final path must be its folder's joined with the name: a mapped
// or subst drive, a short name or a link on the way lead both alike.
DWORD IsNamedEntry(HANDLE file, const std::wstring& path, bool& named) {
    named = true;
    if (!LATER_WINDOWS(L"kernel32.dll", GetFinalPathNameByHandleW)) {
        return ERROR_SUCCESS;  // Windows XP
    }
    const std::wstring folderPath = FolderOf(path);
    KernelHandle folder;
    std::wstring expected, actual;
    DWORD error = Open(folderPath, 0, kShareAll, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, folder);
    if (error || (error = FinalPath(folder.get(), expected)) || (error = FinalPath(file, actual))) {
        return error;
    }
    if (expected.back() != L'\\') {
        expected += L'\\';
    }
    named = actual.size() > expected.size() && actual.compare(0, expected.size(), expected) == 0 &&
            _wcsicmp(actual.c_str() + expected.size(), path.c_str() + folderPath.size()) == 0;
    return ERROR_SUCCESS;
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
    if (SetFilePointer(a, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) {
        return LastFailure();
    }
    std::string x(64 * 1024, '\0'), y(x);
    same = true;
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
