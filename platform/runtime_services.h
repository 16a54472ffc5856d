// Everything tovrel asks of Windows apart from the registry: the program's
// directory and the three file operations here, and (form.h) the window, the
// message box and the end of the program. Every service reports a failure by
// raising ServiceError; the callers meet it with the error rule.
//
// The file services act on a whole path or not at all: a path the ANSI file
// functions cannot take whole (a NUL inside, MAX_PATH characters or more, a
// character the ANSI code page lacks) is refused before any file is touched.
#pragma once

#include <stdexcept>
#include <string>

namespace platform {

// The one kind of failure the services report. The program never shows it
// nor decides on its cause; the Win32 error it names is for a debugger.
class ServiceError : public std::runtime_error {
public:
    explicit ServiceError(unsigned long win32Error)
        : std::runtime_error("runtime service failed"), error_(win32Error) {}
    unsigned long error() const noexcept { return error_; }

private:
    unsigned long error_;
};

// Raises ServiceError for the calling thread's last Win32 error.
[[noreturn]] void RaiseLastError();

// The directory holding the running executable, without a final "\" except at
// a drive's root ("C:\").
std::wstring ProgramDirectory();

// Whether an ordinary file lies at `path` and is not going away: hidden and
// system files, folders, and a file marked for deletion (whose name stays
// only until its last holder lets go) do not count; read-only and archive
// files do. False also when the path names no file at all: the folder or the
// drive letter does not exist, a part of it is a file, or the name is invalid.
// Raises when it cannot tell (a drive that is not ready, a network share that
// cannot be reached, no right to look).
bool OrdinaryFileLiesAt(const std::wstring& path);

// Puts a copy of `source` at `destination`, replacing an ordinary file there
// (a read-only, hidden or system one is refused, as Windows does), and leaves
// the copy an ordinary writable file: an installed template is often
// read-only, and a read-only copy could never be switched off again. Never
// writes into a file already there: another name of it (a hard or a symbolic
// link) would take the bytes too. The copy is made under a temporary name
// beside it, which is gone again whatever fails.
void CopyFileReplacing(const std::wstring& source, const std::wstring& destination);

// Whether `path` names the program's own `installed` file, whatever the
// spelling: true when it does; false when nothing lies at `path`, or when they
// are two files. Raises when it cannot tell, so that a step guarded by it is
// abandoned: also when `installed` is missing, since then nothing says what
// lies at `path`. `installed` is opened by its Unicode name, `path` by the
// name the other file services use.
bool IsSameFile(const std::wstring& installed, const std::wstring& path);

// Deletes the file at `path`, unless it is `keep` (the installed template, by
// whatever spelling): then, and when that cannot be told, it raises and
// deletes nothing. Also raises when the file cannot be deleted (open in
// another program, read-only, no access), and leaves a hidden or system file.
void DeleteFileAt(const std::wstring& path, const std::wstring& keep);

}  // namespace platform
