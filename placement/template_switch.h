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

platform::Presence IsInstalled(const std::wstring& strDest);
SwitchOutcome Enable(const TemplateLocations& locations);
SwitchOutcome Disable(const TemplateLocations& locations);

}  // namespace placement
