#include "placement/template_switch.h"

#include "platform/error_rule.h"

namespace placement {

using platform::PassOver;
using platform::Presence;
using platform::Sameness;

Presence IsInstalled(const std::wstring& strDest) {
    const Presence presence = platform::OrdinaryFileAt(strDest);
    if (presence == Presence::CannotTell) {
        PassOver(L"presence check", GetLastError());
    }
    return presence;
}

SwitchOutcome Enable(const TemplateLocations& locations) {
    const std::wstring& src = locations.strSource;
    const std::wstring& dest = locations.strDest;
    PassOver(L"enable: leftovers", platform::ClearLeftoverCopies(src, dest));
    // Copied without looking first: a copy already there is refreshed, and
    // success is judged only by what lies there afterwards. Never onto the
    // installed template itself, should Word's startup folder be the program's;
    // when that cannot be told, not at all.
    const Sameness sameness = platform::IsSameFile(src, dest);
    if (sameness == Sameness::CannotTell) {
        PassOver(L"enable: same file", GetLastError());
    }
    if (sameness == Sameness::Different) {
        PassOver(L"enable: copy", platform::CopyFileReplacing(src, dest));
    }
    return IsInstalled(dest) == Presence::On ? SwitchOutcome::Done  // cannot tell: not enabled
                                             : SwitchOutcome::NotEnabled;
}

SwitchOutcome Disable(const TemplateLocations& locations) {
    const std::wstring& src = locations.strSource;
    const std::wstring& dest = locations.strDest;
    PassOver(L"disable: leftovers", platform::ClearLeftoverCopies(src, dest));
    // When Word's startup folder is the program's own folder, the "copy" is
    // the installed template itself; deleting it would lose the add-in for
    // good, so DeleteFileAt leaves it and the attempt reports that it did not
    // switch off. Cannot tell: the delete is tried all the same.
    if (IsInstalled(dest) != Presence::Off) {
        PassOver(L"disable: delete", platform::DeleteFileAt(dest, src));
    }
    return IsInstalled(dest) != Presence::Off ? SwitchOutcome::NotDisabled  // cannot tell too
                                              : SwitchOutcome::Done;
}

}  // namespace placement
