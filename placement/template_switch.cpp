#include "placement/template_switch.h"

#include "platform/error_rule.h"
#include "platform/runtime_services.h"

namespace placement {

using platform::ConditionHolds;
using platform::RunStep;

bool IsInstalled(const std::wstring& strDest) {
    return platform::OrdinaryFileLiesAt(strDest);
}

SwitchOutcome Enable(const TemplateLocations& locations) noexcept {
    // Copied without looking first: a copy already there is refreshed, and
    // success is judged only by what lies there afterwards. Never onto the
    // installed template itself, should Word's startup folder be the program's.
    RunStep([&] {
        if (!platform::IsSameFile(locations.strSource, locations.strDest)) {
            platform::CopyFileReplacing(locations.strSource, locations.strDest);
        }
    });
    if (ConditionHolds([&] { return !IsInstalled(locations.strDest); })) {
        return SwitchOutcome::NotEnabled;
    }
    return SwitchOutcome::Done;
}

SwitchOutcome Disable(const TemplateLocations& locations) noexcept {
    if (ConditionHolds([&] { return IsInstalled(locations.strDest); })) {
        // When Word's startup folder is the program's own folder, the "copy" is
        // the installed template itself; deleting it would lose the add-in for
        // good, so it stays and the attempt reports that it did not switch off.
        RunStep([&] { platform::DeleteFileAt(locations.strDest, locations.strSource); });
    }
    if (ConditionHolds([&] { return IsInstalled(locations.strDest); })) {
        return SwitchOutcome::NotDisabled;
    }
    return SwitchOutcome::Done;
}

}  // namespace placement
