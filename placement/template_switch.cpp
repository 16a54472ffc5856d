#include "placement/template_switch.h"

#include "placement/template_files.h"
#include "platform/error_rule.h"

namespace placement {

using platform::PassOver;
using platform::Presence;

Presence IsInstalled(const std::wstring& strDest) {
    Presence presence;
    PassOver(L"presence check", LookForCopy(strDest, presence));
    return presence;
}

SwitchOutcome Enable(const TemplateLocations& locations) {
    const std::wstring& src = locations.strSource;
    const std::wstring& dest = locations.strDest;
    PassOver(L"enable: leftovers", ClearLeftoverCopies(src, dest));
    // A copy already there is refreshed. Never onto the installed template
    // itself, should Word's startup folder be the program's; when that cannot
    // be told, not at all.
    Sameness sameness;
    PassOver(L"enable: same file", CompareWithInstalled(src, dest, sameness));
    if (sameness == Sameness::Different) {
        PassOver(L"enable: copy", CopyFileReplacing(src, dest));
    }
    return IsInstalled(dest) == Presence::On ? SwitchOutcome::Done  // cannot tell: not enabled
                                             : SwitchOutcome::NotEnabled;
}

SwitchOutcome Disable(const TemplateLocations& locations) {
    const std::wstring& src = locations.strSource;
    const std::wstring& dest = locations.strDest;
    PassOver(L"disable: leftovers", ClearLeftoverCopies(src, dest));
    // Cannot tell: the delete is tried all the same; DeleteFileAt leaves the
    // installed template itself.
    if (IsInstalled(dest) != Presence::Off) {
        PassOver(L"disable: delete", DeleteFileAt(dest, src));
    }
    return IsInstalled(dest) != Presence::Off ? SwitchOutcome::NotDisabled  // cannot tell too
                                              : SwitchOutcome::Done;
}

}  // namespace placement
