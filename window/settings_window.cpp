#include "window/settings_window.h"

#include <exception>

#include "placement/template_switch.h"
#include "platform/startup_phases.h"
#include "resources/resource_ids.h"
#include "window/control_ids.h"

namespace window {

using placement::SwitchOutcome;
using platform::ControlKind;
using platform::Presence;
using platform::TextColour;

namespace {

// The form still raises when a message box cannot open: that step is passed
// over and the next one runs.
template <class Step>
void RunStep(Step&& step) noexcept {
    try {
        step();
    } catch (const std::exception&) {
    }
}

const wchar_t kExplanation[] =
    L"您可以在不卸载本软件的情况下停用/启用Quorlen。\r"
    L"（请注意：只有在关闭Word的情况下才能执行本功能。）";
const wchar_t kEnabledText[] = L"Quorlen已启用。“Quorlen”菜单出现在 Microsoft Word 上。";
const wchar_t kDisabledText[] = L"Quorlen已停用。“Quorlen”菜单不会出现在 Microsoft Word 上。";
const wchar_t kNotEnabledMessage[] =
    L"Quorlen没有启用。建议您关闭 Microsoft Word，重新安装Quorlen。";
const wchar_t kNotDisabledMessage[] =
    L"Quorlen没有停用。您是不是现在没有关闭 Microsoft Word？请关闭它，再试一次。";
const wchar_t kMessageTitle[] = L"Quorlen";

constexpr TextColour kHighlight{TextColour::Kind::System, COLOR_HIGHLIGHT};
constexpr TextColour kDarkRed{TextColour::Kind::Rgb, RGB(192, 0, 0)};

// In tab order: the exit button takes the focus first.
const platform::ControlDesign kControls[] = {
    {id::cmdExit, ControlKind::Button, L"退 出", 4440, 2880, 1455, 540, {}},
    {id::Picture1, ControlKind::Picture, L"Quorlen", 360, 2880, 1815, 615, {}, IDB_BANNER},
    {id::cmdUp, ControlKind::Button, L"启 用", 4440, 1560, 1455, 495, {}},
    {id::cmdDown, ControlKind::Button, L"停 用", 4440, 840, 1455, 495, {}},
    {id::lblExplain, ControlKind::Label, L"说明", 360, 240, 5415, 495, {}},
    {id::lblUp, ControlKind::Label, L"", 360, 840, 3615, 495, kHighlight, 0, true},
    {id::lblDown, ControlKind::Label, L"", 360, 1560, 3615, 495, kDarkRed, 0, true},
};

const platform::FormDesign kForm{
    L"Quorlen设置", 6780, 3630, IDI_TOVREL, {L"宋体", 105, FW_NORMAL, GB2312_CHARSET}, kControls,
};

}  // namespace

const platform::FormDesign& SettingsFormDesign() {
    return kForm;
}

SettingsWindow::SettingsWindow() : form_(kForm) {
    form_.OnClick(id::cmdUp, [this] { cmdUp_Click(); });
    form_.OnClick(id::cmdDown, [this] { cmdDown_Click(); });
    form_.OnClick(id::cmdExit, [this] { cmdExit_Click(); });
    Form_Load();
    // Another tovrel, a holder letting go of a copy marked for deletion, the
    // user in Explorer: what the window shows stays true while it is open.
    form_.OnOutsideChange(TemplateLocations_.strDest, [this] { RefreshState(); });
    platform::EndPhase("folder watch");
    form_.ShowCentred();
    platform::EndPhase("showing");
}

void SettingsWindow::Form_Load() {
    form_.SetCaption(id::lblExplain, kExplanation);
    // From here on a failing step is passed over.
    placement::ResolveTemplateLocations(TemplateLocations_);
    platform::EndPhase("registry");
    RunStep([&] { RefreshState(); });
    platform::EndPhase("presence check");
}

// A presence check that cannot tell shows neither state, both buttons enabled
// and both texts empty, rather than keep one that may no longer be true.
void SettingsWindow::RefreshState() {
    const Presence presence = placement::IsInstalled(TemplateLocations_.strDest);
    const bool on = presence == Presence::On, off = presence == Presence::Off;
    form_.SetEnabled(id::cmdDown, !off);
    form_.SetEnabled(id::cmdUp, !on);
    form_.SetCaption(id::lblUp, on ? kEnabledText : L"");
    form_.SetCaption(id::lblDown, off ? kDisabledText : L"");
}

void SettingsWindow::cmdUp_Click() {
    if (placement::Enable(TemplateLocations_) == SwitchOutcome::NotEnabled) {
        RunStep([&] { form_.ShowMessage(kNotEnabledMessage, MB_ICONINFORMATION, kMessageTitle); });
    }
    RunStep([&] { RefreshState(); });
}

void SettingsWindow::cmdDown_Click() {
    if (placement::Disable(TemplateLocations_) == SwitchOutcome::NotDisabled) {
        RunStep([&] { form_.ShowMessage(kNotDisabledMessage, MB_ICONSTOP, kMessageTitle); });
    }
    RunStep([&] { RefreshState(); });
}

void SettingsWindow::cmdExit_Click() {
    platform::EndProgram();
}

}  // namespace window
