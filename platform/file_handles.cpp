// What is asked and done through an open file's handle, so that a name that
// changes meanwhile cannot send the step to another file.
#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string_view>
#include <tuple>

#include "platform/files.h"
#include "platform/later_windows.h"

namespace platform {

namespace {

// SetFileInformationByHandle from Windows Vista on; on Windows XP ntdll's
// NtSetInformationFile, which takes the same records.
DWORD SetRecord(HANDLE file, later::FileRecordKind kind, later::NativeRecordKind nativeKind,
                void* record, DWORD size) {
    if (const auto set = LATER_WINDOWS(L"kernel32.dll", SetFileInformationByHandle)) {
        return set(file, kind, record, size) ? ERROR_SUCCESS : LastFailure();
    }
    IO_STATUS_BLOCK status{};
    const NTSTATUS result =
        LATER_WINDOWS(L"ntdll.dll", NtSetInformationFile)(file, &status, record, size, nativeKind);
    const DWORD error = result < 0 ? LATER_WINDOWS(L"ntdll.dll", RtlNtStatusToDosError)(result) : 0;
    return result >= 0 ? ERROR_SUCCESS : error ? error : ERROR_GEN_FAILURE;
}

// Names as Windows compares them, folding only A to Z: it may fail to match a
// name Windows would, never match one it would not.
bool SameName(std::wstring_view a, std::wstring_view b) {
    const auto fold = [](wchar_t c) { return c >= L'A' && c <= L'Z' ? c - L'A' + L'a' : c; };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [&](wchar_t x, wchar_t y) { return fold(x) == fold(y); });
}

// Where an open handle leads, through every link and short name: from its
// drive letter, or from its volume's device where it has none.
DWORD FinalPath(HANDLE handle, std::wstring& path) {
    const auto finalPath = LATER_WINDOWS(L"kernel32.dll", GetFinalPathNameByHandleW);
    if (!finalPath) {
        return ERROR_NOT_SUPPORTED;  // Windows XP
    }
    for (DWORD volume : {later::kDosVolumeName, later::kNtVolumeName}) {
        path.assign(MAX_PATH, L'\0');
        DWORD length;
        while ((length = finalPath(handle, path.data(), DWORD(path.size()),
                                   later::kNormalizedName | volume)) >= path.size()) {
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

DWORD IsDeletePending(HANDLE file, bool& pending) {
    // ntdll's query, which Windows XP has too. Wine never sets the mark.
    IO_STATUS_BLOCK status{};
    later::NativeStandardRecord standard{};
    const NTSTATUS result = LATER_WINDOWS(L"ntdll.dll", NtQueryInformationFile)(
        file, &status, &standard, sizeof standard, later::kNativeStandardRecord);
    if (result < 0) {
        const DWORD error = LATER_WINDOWS(L"ntdll.dll", RtlNtStatusToDosError)(result);
        return error ? error : ERROR_GEN_FAILURE;
    }
    pending = standard.DeletePending;
    return ERROR_SUCCESS;
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
    // Vista and later take a path as every file function does; ntdll only a
    // name in a folder opened for it.
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
    // The 128-bit ID of Windows 8 and later first: on ReFS two files may share
    // a 64-bit index.
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
    // A network file system that reports no index: where each leads. Two paths
    // may still be one file by two names of its server, so they are two files
    // only when their times or sizes differ too, as a copy's do.
    std::wstring pathOfA, pathOfB;
    if (FinalPath(a, pathOfA) || FinalPath(b, pathOfB)) {
        return ERROR_NOT_SUPPORTED;
    }
    const auto stamp = [](const BY_HANDLE_FILE_INFORMATION& i) {
        return std::make_tuple(i.ftCreationTime.dwLowDateTime, i.ftCreationTime.dwHighDateTime,
                               i.ftLastWriteTime.dwLowDateTime, i.ftLastWriteTime.dwHighDateTime,
                               i.nFileSizeLow, i.nFileSizeHigh);
    };
    same = SameName(pathOfA, pathOfB);
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
            SameName(std::wstring_view(actual).substr(expected.size()),
                     std::wstring_view(path).substr(folderPath.size()));
    return ERROR_SUCCESS;
}

}  // namespace platform
