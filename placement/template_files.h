// tovrel's own rules about its files: what counts as a copy of the template,
// how one is made and taken away, and what an ended tovrel may leave behind.
// Each answers ERROR_SUCCESS or the Win32 error of what failed.
#pragma once

#include <windows.h>

#include <string>

#include "platform/files.h"

namespace placement {

enum class Sameness { Different, Same, CannotTell };

// On when an ordinary file lies at `path` and is not going away: read-only and
// archive files count; hidden and system files, folders and a file marked for
// deletion do not. CannotTell with the error (a refused path, a drive that is
// not ready).
DWORD LookForCopy(const std::wstring& path, platform::Presence& presence);

// Whether `path` names the `installed` template, by whatever spelling:
// Different when nothing lies at `path`; CannotTell with the error, also when
// `installed` is missing, since then nothing says what lies at `path`.
DWORD CompareWithInstalled(const std::wstring& installed, const std::wstring& path,
                           Sameness& sameness);

// Puts an ordinary, writable copy of `source` at `destination` through a new
// temporary file beside it, never writing into a file there; a read-only,
// hidden or system file there is refused.
DWORD CopyFileReplacing(const std::wstring& source, const std::wstring& destination);

// Deletes the name `path`, never the file a link there leads to, never the
// `installed` template, never a hidden or system file (ERROR_ACCESS_DENIED),
// nor anything when that cannot be told.
DWORD DeleteFileAt(const std::wstring& path, const std::wstring& installed);

// Deletes the temporaries an ended copy left beside `destination` that hold
// `source`'s bytes; any other file, or one somebody holds, stays.
DWORD ClearLeftoverCopies(const std::wstring& source, const std::wstring& destination);

}  // namespace placement
