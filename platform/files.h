// The program's directory and the file services the switch is built on. None
// of them raises: each answers what it found, or the Win32 error of what
// failed, for the caller to pass over.
//
// The file services act on a whole path or not at all: a path the ANSI file
// functions cannot take whole (a NUL inside, MAX_PATH characters or more, a
// character the ANSI code page lacks) is refused before any file is touched.
#pragma once

#include <windows.h>

#include <string>

namespace platform {

enum class Presence { Off, On, CannotTell };
enum class Sameness { Different, Same, CannotTell };

// The directory holding the running exe, without a final "\" except at a
// drive's root ("C:\"); "" when it cannot be had, with the reason in
// GetLastError().
std::wstring ProgramDirectory();

// Whether an ordinary file lies at `path` and is not going away: hidden and
// system files, folders, and a file marked for deletion (whose name stays
// only until its last holder lets go) do not count; read-only and archive
// files do. Off also when the path names no file at all: the folder or the
// drive letter does not exist, a part of it is a file, or the name is invalid.
// CannotTell, with the Win32 error in GetLastError(), when it cannot tell (a
// refused path, a drive that is not ready, a network share that cannot be
// reached, no right to look).
Presence OrdinaryFileAt(const std::wstring& path);

// Puts a copy of `source` at `destination`, replacing an ordinary file there
// (a read-only, hidden or system one is refused, as Windows does), and leaves
// the copy an ordinary writable file: an installed template is often
// read-only, and a read-only copy could never be switched off again. Never
// writes into a file already there: another name of it (a hard or a symbolic
// link) would take the bytes too. The copy is made under a temporary name
// beside it (one that no file has, among ~tv0000.tmp to ~tvFFFF.tmp), marked
// for deletion until it is renamed into place: it is gone again whatever
// fails, and whenever tovrel is ended. ERROR_SUCCESS, or the Win32 error of
// what failed.
DWORD CopyFileReplacing(const std::wstring& source, const std::wstring& destination);

// Clears what an ended tovrel may leave in the folder of `destination`: a
// temporary (see CopyFileReplacing) that was no longer marked for deletion
// but not yet renamed into place when the program was ended there. Only a
// file of such a name whose bytes are `source`'s goes, so that nothing is
// lost; a file nobody may delete, or someone holds, stays. ERROR_SUCCESS, or
// the Win32 error of the last one that could not be looked at.
DWORD ClearLeftoverCopies(const std::wstring& source, const std::wstring& destination);

// Whether `path` names the program's own `installed` file, whatever the
// spelling: Same when it does; Different when nothing lies at `path`, or when
// they are two files. CannotTell, with the Win32 error in GetLastError(), so
// that a step guarded by it is passed over: also when `installed` is missing,
// since then nothing says what lies at `path`. `installed` is opened by its
// Unicode name, `path` by the name the other file services use.
Sameness IsSameFile(const std::wstring& installed, const std::wstring& path);

// Deletes the file at `path`, unless it is `keep` (the installed template, by
// whatever spelling): then, and when that cannot be told, it deletes nothing
// and answers ERROR_ACCESS_DENIED or why it cannot tell. Also fails when the
// file cannot be deleted (open in another program, read-only, no access), and
// leaves a hidden or system file (ERROR_ACCESS_DENIED). ERROR_SUCCESS once the
// file is deleted.
DWORD DeleteFileAt(const std::wstring& path, const std::wstring& keep);

}  // namespace platform
