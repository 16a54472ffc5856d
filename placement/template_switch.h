// Whether the add-in is on, and switching it: the add-in is on exactly when an
// ordinary file lies at strDest. The switch never asks whether Word is
// running: it tries, then looks. Below it, tovrel's own rules about its files,
// each answering ERROR_SUCCESS or the Win32 error of what failed.
#pragma once

#include <windows.h>

#include <string>

#include "placement/template_locations.h"
#include "platform/files.h"

namespace placement {

enum class SwitchOutcome {
    Done,         // the template is where the attempt meant it to be
    NotEnabled,   // after enabling, no template at strDest
    NotDisabled,  // after disabling, the template is still at strDest
};

platform::Presence IsInstalled(const std::wstring& strDest);
SwitchOutcome Enable(const TemplateLocations& locations);
SwitchOutcome Disable(const TemplateLocations& locations);

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
