// What the file services' sources share (files.cpp, file_copy.cpp,
// same_file.cpp); nothing else includes it but the tests of its decisions.
// Every helper answers ERROR_SUCCESS or the Win32 error of what failed, and
// gives what it found through its last parameter.
#pragma once

#include <windows.h>

#include <string>

#include "platform/handles.h"
#include "platform/later_windows.h"

namespace platform::files {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// What a copy must not take from its template, and what keeps a file in the
// copy's place from being replaced.
constexpr DWORD kInherited =
    FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

// The error of the call that just failed; never ERROR_SUCCESS, which would
// pass the failure off as done.
DWORD LastFailure();

// `path` as the ANSI file functions will read it, or why they could not take
// it whole.
DWORD AnsiPath(const std::wstring& path, std::string& ansi);

// The name that `path` ends in, after its last separator.
std::wstring NameIn(const std::wstring& path);

// The folder `path` names its file in, with its final separator.
std::wstring FolderOf(const std::wstring& path);

DWORD InformationOf(HANDLE file, BY_HANDLE_FILE_INFORMATION& information);

// Whether a file call that just failed with `error` met a file marked for
// deletion (Windows refuses to open one, as though for a lack of rights).
// Asked right after the failed call.
bool RefusedAsGoingAway(DWORD error);

// What lies at `ansiPath`, opened only to be looked at. `file` stays null when
// the path names nothing, or a file marked for deletion.
DWORD OpenToLook(const std::string& ansiPath, KernelHandle& file);

// Whether the open file `other` is the program's own `installed` file; an
// error when that cannot be told.
DWORD IsInstalledFile(const std::wstring& installed, HANDLE other, bool& same);

// What tells two open files apart, each query null where this Windows lacks
// it. The tests put in their own: no file system under Wine lacks an index.
struct FileIdentity {
    decltype(&::GetFileInformationByHandle) information;
    later::GetFileInformationByHandleEx informationEx;  // Vista and later
    later::GetFinalPathNameByHandleW finalPath;         // Vista and later
};

// Those of this Windows.
FileIdentity ThisWindowsFileIdentity();

// Whether the open files `a` and `b` are one file; ERROR_NOT_SUPPORTED where
// nothing can tell.
DWORD AreSameFile(const FileIdentity& ask, HANDLE a, HANDLE b, bool& same);

// Whether the open `file` is the entry that `path` names in its folder, and
// not a file that a link there leads to.
DWORD IsNamedEntry(later::GetFinalPathNameByHandleW finalPath, HANDLE file,
                   const std::wstring& path, bool& named);

// Whether its folder lists the file at `ansiPath` under `name`, and not under
// another name that `name` is only the short name of.
DWORD IsListedByName(const std::string& ansiPath, const std::wstring& name, bool& listed);

}  // namespace platform::files
