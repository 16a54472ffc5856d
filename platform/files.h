// File helpers for a program that names its files in the ANSI code page. A
// path the ANSI file functions cannot take whole is refused before any file
// call. Each answers ERROR_SUCCESS or the Win32 error of what failed, and gives
// what it found through its last parameters. What can be asked and done through
// an open handle is, so that a name that changes meanwhile cannot send a step to
// another file.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "platform/handles.h"

namespace platform {

enum class Presence { Off, On, CannotTell };

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The directory holding the running exe, without a final "\" except at a
// drive's root ("C:\"); "" when it cannot be had, with the reason in
// GetLastError().
std::wstring ProgramDirectory();

// The folder `path` names its file in, with its final separator.
std::wstring FolderOf(const std::wstring& path);

DWORD Open(const std::wstring& path, DWORD access, DWORD share, DWORD disposition, DWORD flags,
           KernelHandle& file);

// What lies at `path`, file or folder, opened with no access rights so that
// neither it nor its holders are disturbed. `file` stays null when nothing
// does: no such file, folder or drive, a name no file can have, or a file
// marked for deletion.
DWORD OpenToLook(const std::wstring& path, DWORD flags, KernelHandle& file);

// The names matching `pattern` that have none of the `excluded` attributes;
// none when nothing, not even the folder, is there.
DWORD FilesMatching(const std::wstring& pattern, DWORD excluded, std::vector<std::wstring>& names);

DWORD AttributesOf(HANDLE file, DWORD& attributes);

// Whether a file call that just failed with `error` met a file marked for
// deletion, which Windows refuses as though for a lack of rights.
bool RefusedAsGoingAway(DWORD error);

DWORD IsDeletePending(HANDLE file, bool& pending);

// Marks the open file for deletion when its last handle closes, or unmarks it.
// It needs DELETE access, as the rename does.
DWORD MarkForDeletion(HANDLE file, bool marked);

DWORD RenameReplacing(HANDLE file, const std::wstring& destination);

// Whether the open files are one file; ERROR_NOT_SUPPORTED where nothing tells.
DWORD AreSameFile(HANDLE a, HANDLE b, bool& same);

// Whether the file at `path`, opened by its Unicode name, is the open `file`.
DWORD IsFileAt(const std::wstring& path, HANDLE file, bool& same);

// Whether the open `file` is the entry `path` names in its folder, and not a
// file a link there leads to. Yes on Windows XP, which has no symbolic links to
// files.
DWORD IsNamedEntry(HANDLE file, const std::wstring& path, bool& named);

DWORD CopyBytes(HANDLE from, HANDLE to);

// Whether the open files hold the same bytes; `a` is read from its start.
DWORD SameBytes(HANDLE a, HANDLE b, bool& same);

}  // namespace platform
