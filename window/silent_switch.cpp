#include "window/silent_switch.h"

#include <string>

#include "placement/template_switch.h"
#include "placement/error_rule.h"
#include "platform/standard_output.h"
#include "platform/user_account.h"
#include "window/texts.h"

namespace window {

namespace {

using platform::WriteStandard;

constexpr wchar_t kUsage[] =
    L"usage: tovrel [/enable | /disable | /status]\r\n"
    L"switches the Quorlen add-in without a window and prints on, off or unknown;\r\n"
    L"exit code 0 done, 1 off, 2 not switched, 3 cannot tell, 4 LocalSystem, 87 usage\r\n";
constexpr wchar_t kLocalSystem[] = L"tovrel: runs as LocalSystem: run it as the user\r\n";

// By switch (Enable, Disable, Status) and the state after (Off, On, CannotTell).
constexpr int kExitCodes[3][3] = {{2, 0, 3}, {0, 2, 3}, {1, 0, 3}};
constexpr const wchar_t* kStates[] = {L"off\r\n", L"on\r\n", L"unknown\r\n"};

}  // namespace

int RunSilentSwitch(Command command) {
    if (command == Command::Usage || command == Command::NotUnderstood) {
        const bool asked = command == Command::Usage;
        WriteStandard(asked ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE, kUsage);
        return asked ? 0 : ERROR_INVALID_PARAMETER;
    }
    if (platform::RunsAsLocalSystem()) {
        WriteStandard(STD_OUTPUT_HANDLE, kStates[static_cast<int>(platform::Presence::CannotTell)]);
        WriteStandard(STD_ERROR_HANDLE, kLocalSystem);
        return 4;
    }
    std::wstring failedSteps;
    placement::KeepPassedOver(&failedSteps);
    placement::TemplateLocations locations;
    placement::ResolveTemplateLocations(locations);
    if (command == Command::Enable) {
        placement::Enable(locations);
    } else if (command == Command::Disable) {
        placement::Disable(locations);
    }
    // One look gives both the line and the exit code, so that they agree
    // whatever another tovrel does meanwhile.
    const int after = static_cast<int>(placement::IsInstalled(locations.strDest));
    placement::KeepPassedOver(nullptr);
    const int code = kExitCodes[static_cast<int>(command)][after];
    WriteStandard(STD_OUTPUT_HANDLE, kStates[after]);
    if (code >= 2) {
        if (command != Command::Status) {
            WriteStandard(STD_ERROR_HANDLE,
                          command == Command::Enable ? kNotEnabledMessage : kNotDisabledMessage);
            WriteStandard(STD_ERROR_HANDLE, L"\r\n");
        }
        WriteStandard(STD_ERROR_HANDLE, failedSteps);
    }
    return code;
}

}  // namespace window
