// File helpers by ANSI path, refused before any file call when the ANSI
// functions cannot take it whole, and by handle, so that a name that changes
// meanwhile sends no step to another file. Each answers a Win32 error or 0.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "platform/handles.h"

namespace platform {

enum class Presence { Off, On, CannotTell };

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The exe's directory, with a final "\" only at a drive's root ("C:\"); ""
// with the reason in GetLastError().
std::wstring ProgramDirectory();

// `path` up to its last separator, that included.
std::wstring FolderOf(const std::wstring& path);

DWORD Open(const std::wstring& path, DWORD access, DWORD share, DWORD disposition, DWORD flags,
           KernelHandle& file);

// What lies at `path`, file or folder, opened with no access rights so that no
// holder is disturbed. `file` stays null when nothing does (no such file or
// drive, a name no file can have), a file marked for deletion included.
DWORD OpenToLook(const std::wstring& path, DWORD flags, KernelHandle& file);

// The names matching `pattern` with none of the `excluded` attributes.
DWORD FilesMatching(const std::wstring& pattern, DWORD excluded, std::vector<std::wstring>& names);

// Whether `error` met a file marked for deletion (refused as for lack of rights).
bool RefusedAsGoingAway(DWORD error);

DWORD AttributesOf(HANDLE file, DWORD& attributes);
DWORD IsDeletePending(HANDLE file, bool& pending);
// These two need DELETE access.
DWORD MarkForDeletion(HANDLE file, bool marked);
DWORD RenameReplacing(HANDLE file, const std::wstring& destination);

// ERROR_NOT_SUPPORTED where nothing tells.
DWORD AreSameFile(HANDLE a, HANDLE b, bool& same);

// Whether the file at `path`, opened by its Unicode name, is the open `file`.
DWORD IsFileAt(const std::wstring& path, HANDLE file, bool& same);

// Whether `file` is the entry `path` names, not a file a link there leads to.
// Yes on Windows XP, which has no symbolic links to files.
DWORD IsNamedEntry(HANDLE file, const std::wstring& path, bool& named);

DWORD CopyBytes(HANDLE from, HANDLE to);
// `a` is read from its start.
DWORD SameBytes(HANDLE a, HANDLE b, bool& same);

}  // namespace platform
