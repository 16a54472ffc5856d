// Whether the add-in is on, and switching it. The add-in is on exactly when an
// ordinary file lies at strDest; nothing else records the state. The switch
// never asks whether Word is running: it tries, then looks at the result.
#pragma once

#include <string>

#include "placement/template_locations.h"
#include "platform/files.h"

namespace placement {

enum class SwitchOutcome {
    Done,         // the template is where the attempt meant it to be
    NotEnabled,   // after enabling, no template at strDest
    NotDisabled,  // after disabling, the template is still at strDest
};

// The presence check (LookForCopy); a failure is passed over here.
platform::Presence IsInstalled(const std::wstring& strDest);

// Copies the template into Word's startup folder.
SwitchOutcome Enable(const TemplateLocations& locations);

// Deletes the copy in Word's startup folder.
SwitchOutcome Disable(const TemplateLocations& locations);

}  // namespace placement
