#include "window/settings_dialog.h"

#include <string>
#include <utility>

#include "placement/template_switch.h"
#include "platform/dpi.h"
#include "platform/error_rule.h"
#include "platform/later_windows.h"
#include "platform/process.h"
#include "platform/startup_phases.h"
#include "resources/resource_ids.h"
#include "window/appearance.h"
#include "window/control_ids.h"
#include "window/layout.h"
#include "window/texts.h"

namespace window {

using placement::SwitchOutcome;
using platform::Presence;

namespace {

// How long the window waits for the first look before it shows.
constexpr DWORD kFirstLookMs = 500;

HINSTANCE Module() {
    return GetModuleHandleW(nullptr);
}

// A dialog procedure answers most messages through DWLP_MSGRESULT.
INT_PTR Answer(HWND dialog, LRESULT result) {
    SetWindowLongPtrW(dialog, DWLP_MSGRESULT, result);
    return TRUE;
}

}  // namespace

SettingsDialog::~SettingsDialog() {
    if (dialog_) {
        SetWindowLongPtrW(dialog_, DWLP_USER, 0);
    }
}

bool SettingsDialog::Create() {
    // A hidden owner keeps the window out of the task bar while it keeps an
    // ordinary title bar with its icon.
    owner_.reset(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                 Module(), nullptr));
    dialog_ = CreateDialogParamW(Module(), MAKEINTRESOURCEW(IDD_SETTINGS), owner_.get(), DialogProc,
                                 reinterpret_cast<LPARAM>(this));
    return dialog_ != nullptr;
}

void SettingsDialog::Show(int showCommand) {
    // The window has a fixed size: it cannot be maximized.
    const bool maximized = showCommand == SW_SHOWMAXIMIZED;
    ShowWindow(dialog_, maximized ? SW_SHOWNORMAL : showCommand);
    // As the focused button, 退 出 is pressed by Enter: the dialog's own
    // activation would only set the focus, and Enter would press nothing.
    SendMessageW(dialog_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog_, id::cmdExit)),
                 TRUE);
}

INT_PTR CALLBACK SettingsDialog::DialogProc(HWND dialog, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        reinterpret_cast<SettingsDialog*>(lParam)->dialog_ = dialog;
    }
    auto* self = reinterpret_cast<SettingsDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
    return self ? self->OnMessage(message, wParam, lParam) : FALSE;
}

INT_PTR SettingsDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: return OnInitDialog();
        case WM_COMMAND: return OnCommand(LOWORD(wParam), HIWORD(wParam), lParam);
        case platform::later::kGetDpiScaledSize:
            return OnGetDpiScaledSize(static_cast<int>(wParam), lParam);
        case platform::later::kDpiChanged: return OnDpiChanged(LOWORD(wParam), lParam);
        case WM_SYSCOLORCHANGE: return OnColoursChanged();
        case WM_SETTINGCHANGE: return OnColoursChanged();
        case WM_CTLCOLORSTATIC: return OnCtlColorStatic(wParam, lParam);
        case WM_DRAWITEM: return OnDrawItem(lParam);
        case WM_ACTIVATE: return OnActivate(LOWORD(wParam));
        case WM_CLOSE: cmdExit_Click();
        case WM_DESTROY: return OnDestroy();
        case WM_ENDSESSION: return OnEndSession(wParam != FALSE);
        case FileThread::kLooked: return OnLooked(static_cast<Presence>(wParam));
        case FileThread::kPressed:
            return OnPressed(static_cast<SwitchOutcome>(wParam), static_cast<Presence>(lParam));
    }
    return FALSE;
}

INT_PTR SettingsDialog::OnInitDialog() {
    platform::EndPhase("dialog");
    platform::KeepDialogScalingOff(dialog_);
    // Centred on the monitor it starts on. Moved there, it may find itself at
    // that monitor's DPI, and is laid out once more for it.
    const RECT work = StartingWorkArea();
    const auto centreAt = [&](int dpi) {
        const SIZE size =
            platform::WindowSizeAround(ClientSizeAt(dpi), kDialogStyle, kDialogExStyle, dpi);
        LayOut(dpi, CentredIn(work, size));
    };
    const int dpi = platform::WindowDpi(dialog_);
    centreAt(dpi);
    if (const int there = platform::WindowDpi(dialog_); there != dpi) {
        centreAt(there);
    }
    platform::EndPhase("layout");
    Form_Load();
    platform::EndPhase("load");
    return FALSE;  // the focus is given when the window first shows
}

void SettingsDialog::Form_Load() {
    SetCaption(id::lblExplain, kExplanation);
    // From here on a failing step is passed over.
    placement::ResolveTemplateLocations(TemplateLocations_);
    // Neither switch can be pressed until a look has said which one may.
    EnableSwitchButtons(dialog_, false, false);
    // Windows out of threads: nothing could be looked at or switched.
    if (!files_.Start(TemplateLocations_, dialog_)) {
        platform::EndProgram(1);
    }
    // The first look is waited for a moment, so that the window shows with
    // the state; a share that does not answer in that time shows neither
    // state until it does.
    MSG first;
    if (files_.WaitForFirstAnswer(kFirstLookMs) &&
        PeekMessageW(&first, dialog_, FileThread::kLooked, FileThread::kLooked, PM_REMOVE)) {
        OnLooked(static_cast<Presence>(first.wParam));
    }
}

// The state a look found. One that cannot tell shows neither state, both
// buttons enabled and both texts empty, rather than keep one that may no
// longer be true.
void SettingsDialog::RefreshState(Presence presence) {
    const bool on = presence == Presence::On, off = presence == Presence::Off;
    EnableSwitchButtons(dialog_, /*up=*/!on, /*down=*/!off);
    SetCaption(id::lblUp, on ? kEnabledText : L"");
    SetCaption(id::lblDown, off ? kDisabledText : L"");
}

void SettingsDialog::cmdUp_Click() {
    Press(id::cmdUp);
}

void SettingsDialog::cmdDown_Click() {
    Press(id::cmdDown);
}

// The switch runs on the file thread; until it answers (OnPressed), neither
// switch button can be pressed again and no look changes what shows.
void SettingsDialog::Press(int button) {
    pressing_ = true;
    pressed_ = GetDlgItem(dialog_, button);
    EnableSwitchButtons(dialog_, false, false);
    files_.Press(button == id::cmdUp);
}

// Closing the window ends the program too. Nothing is ever half done when
// either comes: a copy not yet in place is marked to go, and a delete is one
// step.
void SettingsDialog::cmdExit_Click() {
    platform::EndProgram();
}

// Only a click of an enabled button of this window presses.
INT_PTR SettingsDialog::OnCommand(int id, int code, LPARAM control) {
    HWND from = reinterpret_cast<HWND>(control);
    if (code != BN_CLICKED || from != GetDlgItem(dialog_, id) || !IsWindowEnabled(from)) {
        return TRUE;
    }
    switch (id) {
        case id::cmdUp: cmdUp_Click(); break;
        case id::cmdDown: cmdDown_Click(); break;
        case id::cmdExit: cmdExit_Click();
    }
    return TRUE;
}

// Windows 10 1703 and later ask the size at a monitor's DPI before moving the
// window there; it would scale the frame along with the client otherwise.
INT_PTR SettingsDialog::OnGetDpiScaledSize(int dpi, LPARAM size) {
    *reinterpret_cast<SIZE*>(size) =
        platform::WindowSizeAround(ClientSizeAt(dpi), kDialogStyle, kDialogExStyle, dpi);
    return Answer(dialog_, TRUE);
}

// Moved to a monitor at another DPI. The new DPI comes in wParam, as Windows
// documents: the window's own may not follow yet (under Wine it never does).
// The window goes where Windows suggests, at its own size.
INT_PTR SettingsDialog::OnDpiChanged(int dpi, LPARAM suggestedRect) {
    const RECT& suggested = *reinterpret_cast<const RECT*>(suggestedRect);
    LayOut(dpi, {suggested.left, suggested.top});
    return Answer(dialog_, 0);
}

// Colours or high contrast switched: the labels are painted anew.
INT_PTR SettingsDialog::OnColoursChanged() {
    RedrawWindow(dialog_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    return FALSE;
}

INT_PTR SettingsDialog::OnCtlColorStatic(WPARAM dc, LPARAM label) {
    return ColourLabel(reinterpret_cast<HDC>(dc), reinterpret_cast<HWND>(label));
}

INT_PTR SettingsDialog::OnDrawItem(LPARAM item) {
    DrawBanner(*reinterpret_cast<const DRAWITEMSTRUCT*>(item), banner_.get());
    return TRUE;
}

// Back to the window after another was in front: it looks at once, rather
// than at the next look; and the focus returns where it was, unless that
// button was disabled meanwhile.
INT_PTR SettingsDialog::OnActivate(int state) {
    if (state == WA_INACTIVE) {
        focusWhenAway_ = GetFocus();
        away_ = true;
        return FALSE;
    }
    if (std::exchange(away_, false)) {  // not when first shown: just looked
        files_.Look();
    }
    HWND to = focusWhenAway_ ? FocusFor(dialog_, focusWhenAway_) : nullptr;
    if (!to) {
        return FALSE;  // the dialog gives the focus back
    }
    SendMessageW(dialog_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(to), TRUE);
    return Answer(dialog_, 0);
}

// Gone by other means than the program's own end (another program closing the
// hidden owner, say): end too, rather than run on with no window.
INT_PTR SettingsDialog::OnDestroy() {
    platform::EndProgram();
}

// Windows is logging off or shutting down: end now rather than be ended.
INT_PTR SettingsDialog::OnEndSession(bool ending) {
    if (ending) {
        platform::EndProgram();
    }
    return Answer(dialog_, 0);
}

INT_PTR SettingsDialog::OnLooked(Presence presence) {
    if (!pressing_) {
        RefreshState(presence);
    }
    return TRUE;
}

// A press has ended. Keys and clicks that came meanwhile are dropped: they
// were meant for the window as it was before. A failure's message box comes
// first, and the state it left shows once it is dismissed.
INT_PTR SettingsDialog::OnPressed(SwitchOutcome outcome, Presence after) {
    InputPolicy::DropQueuedInput();
    if (outcome == SwitchOutcome::NotEnabled) {
        ShowMessage(kNotEnabledMessage, MB_ICONINFORMATION);
    } else if (outcome == SwitchOutcome::NotDisabled) {
        ShowMessage(kNotDisabledMessage, MB_ICONSTOP);
    }
    pressing_ = false;
    RefreshState(after);
    // The focus, lost with the disabled buttons, goes to the pressed button,
    // or when that is disabled now to the other one: Enter pressed again
    // switches back, as the first switched.
    HWND to = FocusFor(dialog_, pressed_);
    if (to && GetActiveWindow() == dialog_) {
        SendMessageW(dialog_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(to), TRUE);
    } else if (to) {
        focusWhenAway_ = to;
    }
    if (outcome != SwitchOutcome::Done) {
        files_.Look();  // what lies there now, the box may have been open long
    }
    return TRUE;
}

// The font, the controls' places, the banner, the window's size and the icons
// at `dpi`; the old font, banner and icons go once nothing shows them.
void SettingsDialog::LayOut(int dpi, POINT at) {
    platform::GdiObject<HFONT> font(CreateControlFont(dpi));
    PlaceControls(dialog_, dpi, font.get());
    font_ = std::move(font);
    // The banner drawn for this DPI, chosen once its box has its size here.
    HWND banner = GetDlgItem(dialog_, id::Picture1);
    banner_.reset(LoadBanner(banner, dpi));
    RedrawWindow(banner, nullptr, nullptr, RDW_INVALIDATE);
    SizeWindow(dialog_, dpi, at);
    // Not shared: a shared icon keeps the size it was first loaded at.
    const auto icon = [&](int metric) {
        const int size = platform::MetricAt(metric, dpi);
        return platform::IconHandle(static_cast<HICON>(
            LoadImageW(Module(), MAKEINTRESOURCEW(IDI_TOVREL), IMAGE_ICON, size, size, 0)));
    };
    platform::IconHandle big = icon(SM_CXICON), small = icon(SM_CXSMICON);
    SendMessageW(dialog_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big.get()));
    SendMessageW(dialog_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.get()));
    bigIcon_ = std::move(big);
    smallIcon_ = std::move(small);
}

void SettingsDialog::SetCaption(int id, const wchar_t* text) {
    HWND control = GetDlgItem(dialog_, id);
    // A refresh mostly finds the state as it was: the same text again would be
    // painted and read out for nothing.
    std::wstring shown(GetWindowTextLengthW(control) + 1, L'\0');
    shown.resize(GetWindowTextW(control, shown.data(), static_cast<int>(shown.size())));
    if (shown == text) {
        return;
    }
    SetWindowTextW(control, text);
    // A status line's new text is read out, once the window shows.
    if ((id == id::lblUp || id == id::lblDown) && *text && IsWindowVisible(control)) {
        live_.Announce(control);
    }
}

void SettingsDialog::ShowMessage(const wchar_t* text, UINT icon) {
    if (!MessageBoxW(dialog_, text, kMessageTitle, icon | MB_OK)) {
        platform::PassOver(L"message box", GetLastError());
    }
}

}  // namespace window
