// Whether a name leads to the installed template, and whether it is a file's
// own name in its folder rather than a link to it.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string_view>

#include "platform/ansi_text.h"
#include "platform/files.h"
#include "platform/files_internal.h"
#include "platform/handles.h"
#include "platform/later_windows.h"

namespace platform::files {

namespace {

// Names as Windows compares them, without regard to case. Folding only A to
// Z may fail to match a name Windows would, and then refuses; it never
// matches one Windows would not.
bool SameName(std::wstring_view a, std::wstring_view b) {
    const auto fold = [](wchar_t c) { return c >= L'A' && c <= L'Z' ? c - L'A' + L'a' : c; };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [&](wchar_t x, wchar_t y) { return fold(x) == fold(y); });
}

// A 128-bit file ID, none when 0.
struct FileId {
    ULONGLONG low, high;
    bool operator==(const FileId&) const = default;
};

FileId IdOf(const later::IdRecord& information) {
    FileId id;
    std::memcpy(&id, information.FileId, sizeof id);
    return id;
}

bool SameTimesAndSize(const BY_HANDLE_FILE_INFORMATION& x, const BY_HANDLE_FILE_INFORMATION& y) {
    const auto same = [](const FILETIME& a, const FILETIME& b) {
        return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
    };
    return same(x.ftCreationTime, y.ftCreationTime) && same(x.ftLastWriteTime, y.ftLastWriteTime) &&
           x.nFileSizeLow == y.nFileSizeLow && x.nFileSizeHigh == y.nFileSizeHigh;
}

// Where an open handle really leads, as its file system names it: through
// every link and short name, from the drive letter, or from the volume's
// device where it has none (a volume mounted in a folder, a file system Wine's
// mount manager does not know).
DWORD FinalPath(later::GetFinalPathNameByHandleW finalPath, HANDLE handle, std::wstring& path) {
    path.assign(MAX_PATH, L'\0');
    DWORD volume = later::kDosVolumeName;
    for (;;) {
        const DWORD length = finalPath(handle, path.data(), static_cast<DWORD>(path.size()),
                                       later::kNormalizedName | volume);
        if (length == 0 && volume == later::kDosVolumeName) {
            volume = later::kNtVolumeName;
            continue;
        }
        if (length == 0) {
            return LastFailure();
        }
        if (length < path.size()) {
            path.resize(length);
            return ERROR_SUCCESS;
        }
        path.resize(length);  // the room it needs
    }
}

// Answers into `error`, so that IsSameFile can set the thread's last error
// once every handle and string here is gone.
Sameness LookForSameFile(const std::wstring& installed, const std::wstring& path, DWORD& error) {
    std::string ansiPath;
    if ((error = AnsiPath(path, ansiPath))) {
        return Sameness::CannotTell;
    }
    KernelHandle other;
    if ((error = OpenToLook(ansiPath, other))) {
        return Sameness::CannotTell;
    }
    if (!other) {
        return Sameness::Different;  // nothing there to mistake for the installed file
    }
    bool same = false;
    if ((error = IsInstalledFile(installed, other.get(), same))) {
        return Sameness::CannotTell;
    }
    return same ? Sameness::Same : Sameness::Different;
}

}  // namespace

DWORD IsInstalledFile(const std::wstring& installed, HANDLE other, bool& same) {
    // The installed file by its true name: the program knows its own folder in
    // Unicode, whatever the code page can spell.
    KernelHandle own(
        CreateFileW(installed.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING, 0, nullptr));
    // Missing (the program started by another name, from a folder without
    // it, say), it cannot tell: `other` may be the installed file itself,
    // reached by another path.
    if (!own) {
        return LastFailure();
    }
    return AreSameFile(ThisWindowsFileIdentity(), own.get(), other, same);
}

FileIdentity ThisWindowsFileIdentity() {
    return {&::GetFileInformationByHandle,
            LATER_WINDOWS(L"kernel32.dll", GetFileInformationByHandleEx),
            LATER_WINDOWS(L"kernel32.dll", GetFinalPathNameByHandleW)};
}

DWORD AreSameFile(const FileIdentity& ask, HANDLE a, HANDLE b, bool& same) {
    // The 128-bit ID of Windows 8 and later first: ReFS reports 64-bit
    // indexes that two files may share.
    later::IdRecord p{}, q{};
    if (ask.informationEx && ask.informationEx(a, later::kIdRecord, &p, sizeof p) &&
        ask.informationEx(b, later::kIdRecord, &q, sizeof q)) {
        const FileId ofA = IdOf(p), ofB = IdOf(q);
        if (ofA != FileId{} && ofB != FileId{}) {
            same = p.VolumeSerialNumber == q.VolumeSerialNumber && ofA == ofB;
            return ERROR_SUCCESS;
        }
    }
    BY_HANDLE_FILE_INFORMATION x, y;
    if (!ask.information(a, &x) || !ask.information(b, &y)) {
        return LastFailure();
    }
    const bool sameVolume = x.dwVolumeSerialNumber == y.dwVolumeSerialNumber;
    const bool sameIndex =
        x.nFileIndexHigh == y.nFileIndexHigh && x.nFileIndexLow == y.nFileIndexLow;
    const bool indexKnown =
        (x.nFileIndexHigh | x.nFileIndexLow) != 0 && (y.nFileIndexHigh | y.nFileIndexLow) != 0;
    if (!sameVolume && !sameIndex) {
        same = false;
        return ERROR_SUCCESS;
    }
    // Some network file systems report no index, and another volume may
    // report the same one.
    if (sameVolume && indexKnown) {
        same = sameIndex;
        return ERROR_SUCCESS;
    }
    // Else where each leads. One path is one file; two paths may still be one
    // file reached by two names of its server, so they are two files only
    // when their times or sizes differ too, as a copy's do.
    std::wstring pathOfA, pathOfB;
    if (ask.finalPath && FinalPath(ask.finalPath, a, pathOfA) == ERROR_SUCCESS &&
        FinalPath(ask.finalPath, b, pathOfB) == ERROR_SUCCESS) {
        if (SameName(pathOfA, pathOfB)) {
            same = true;
            return ERROR_SUCCESS;
        }
        if (!SameTimesAndSize(x, y)) {
            same = false;
            return ERROR_SUCCESS;
        }
    }
    return ERROR_NOT_SUPPORTED;  // Windows XP on such a share, say
}

// Its final path must be the folder's own final path joined with the name.
// The folder's final path, not its spelling: a mapped or subst drive, a short
// name or a link on the way to the folder lead the folder and the file alike.
DWORD IsNamedEntry(later::GetFinalPathNameByHandleW finalPath, HANDLE file,
                   const std::wstring& path, bool& named) {
    std::string ansiFolder;
    if (const DWORD error = AnsiPath(FolderOf(path), ansiFolder)) {
        return error;
    }
    KernelHandle folder(CreateFileA(ansiFolder.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!folder) {
        return LastFailure();
    }
    std::wstring expected, actual;
    if (const DWORD error = FinalPath(finalPath, folder.get(), expected)) {
        return error;
    }
    if (expected.empty() || expected.back() != L'\\') {
        expected += L'\\';
    }
    if (const DWORD error = FinalPath(finalPath, file, actual)) {
        return error;
    }
    named = actual.size() > expected.size() && actual.compare(0, expected.size(), expected) == 0 &&
            SameName(std::wstring_view(actual).substr(expected.size()), NameIn(path));
    return ERROR_SUCCESS;
}

DWORD IsListedByName(const std::string& ansiPath, const std::wstring& name, bool& listed) {
    WIN32_FIND_DATAA found;
    FindHandle entry(FindFirstFileA(ansiPath.c_str(), &found));
    if (!entry) {
        return LastFailure();
    }
    listed = SameName(FromAnsi(found.cFileName), name);
    return ERROR_SUCCESS;
}

}  // namespace platform::files

namespace platform {

Sameness IsSameFile(const std::wstring& installed, const std::wstring& path) {
    DWORD error = ERROR_SUCCESS;
    const Sameness sameness = files::LookForSameFile(installed, path, error);
    if (sameness == Sameness::CannotTell) {
        SetLastError(error);
    }
    return sameness;
}

}  // namespace platform
