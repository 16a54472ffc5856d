// tovrel's own rules about its files: what counts as a copy of the template,
// how one is made and taken away, and what an ended tovrel may leave behind.
// Each answers ERROR_SUCCESS or the Win32 error of what failed.
#pragma once

#include <windows.h>

#include <string>

#include "platform/files.h"

namespace placement {

enum class Sameness { Different, Same, CannotTell };

// On for an ordinary file not going away: read-only and archive files count;
// hidden and system files, folders and a file marked for deletion do not.
DWORD LookForCopy(const std::wstring& path, platform::Presence& presence);

// Whether `path` names the `installed` template, by whatever spelling;
// Different when nothing lies there, CannotTell when `installed` is missing.
DWORD CompareWithInstalled(const std::wstring& installed, const std::wstring& path,
                           Sameness& sameness);

// An ordinary, writable copy of `source` at `destination`, through a new
// temporary file beside it; a read-only, hidden or system file there is refused.
DWORD CopyFileReplacing(const std::wstring& source, const std::wstring& destination);

// Deletes the name `path`, never what a link there leads to, nor the
// `installed` template, nor a hidden or system file, nor what cannot be told.
DWORD DeleteFileAt(const std::wstring& path, const std::wstring& installed);

}  // namespace placement
