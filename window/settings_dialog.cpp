#include "window/settings_dialog.h"

#include <utility>

#include "platform/dpi.h"
#include "placement/error_rule.h"
#include "platform/later_windows.h"
#include "platform/live_region.h"
#include "platform/process.h"
#include "resources/resource_ids.h"
#include "window/layout.h"
#include "window/texts.h"

namespace window {

using placement::SwitchOutcome;
using platform::Presence;

namespace {

constexpr DWORD kFirstLookMs = 500;   // the longest the window waits to show the state
constexpr DWORD kLookEveryMs = 1000;  // unasked: a change shows within about a second

// Enter held down presses once, in every loop of the thread.
LRESULT CALLBACK DropEnterRepeats(int code, WPARAM removal, LPARAM lParam) noexcept {
    auto& message = *reinterpret_cast<MSG*>(lParam);
    if (code == HC_ACTION && message.message == WM_KEYDOWN && message.wParam == VK_RETURN &&
        (message.lParam & (1 << 30))) {
        message.message = WM_NULL;
    }
    return CallNextHookEx(nullptr, code, removal, lParam);
}

// Keys and clicks queued during a press were meant for the window as it was;
// a quit request, which comes out of any filter, goes back.
void DropQueuedInput() {
    for (const auto& [first, last] :
         {std::pair{WM_KEYFIRST, WM_KEYLAST}, std::pair{WM_MOUSEFIRST, WM_MOUSELAST}}) {
        for (MSG message; PeekMessageW(&message, nullptr, first, last, PM_REMOVE);) {
            if (message.message == WM_QUIT) {
                return PostQuitMessage(static_cast<int>(message.wParam));
            }
        }
    }
}

}  // namespace

SettingsDialog::~SettingsDialog() {
    if (thread_) {
        SetEvent(stop_.get());
        WaitForSingleObject(thread_.get(), INFINITE);
    }
    if (dialog_) {
        SetWindowLongPtrW(dialog_, DWLP_USER, 0);
    }
}

bool SettingsDialog::Create() {
    // A hidden owner keeps the window out of the task bar.
    const HINSTANCE module = GetModuleHandleW(nullptr);
    owner_.reset(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, module,
                                 nullptr));
    return CreateDialogParamW(module, MAKEINTRESOURCEW(IDD_SETTINGS), owner_.get(), DialogProc,
                              reinterpret_cast<LPARAM>(this)) != nullptr;
}

void SettingsDialog::Show(int showCommand) {
    // A window of fixed size is never maximized.
    ShowWindow(dialog_, showCommand == SW_SHOWMAXIMIZED ? SW_SHOWNORMAL : showCommand);
    // Activation only sets the focus; this makes 退 出 the default, for Enter.
    GiveFocus(Item(id::cmdExit));
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
        case WM_COMMAND:
            return OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        case platform::later::kGetDpiScaledSize:
            return OnGetDpiScaledSize(static_cast<int>(wParam), reinterpret_cast<SIZE*>(lParam));
        case platform::later::kDpiChanged:
            return OnDpiChanged(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        case WM_SYSCOLORCHANGE:
        case WM_SETTINGCHANGE: return OnColoursChanged();
        case WM_CTLCOLORSTATIC:
            return OnCtlColorStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        case WM_DRAWITEM: return OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        case WM_ACTIVATE: return OnActivate(LOWORD(wParam));
        case WM_CLOSE:
        case WM_DESTROY: cmdExit_Click();  // gone by whatever means, it ends
        case WM_ENDSESSION: return OnEndSession(wParam != FALSE);
        case kLooked: return OnLooked(static_cast<Presence>(wParam));
        case kPressed:
            return OnPressed(static_cast<SwitchOutcome>(wParam), static_cast<Presence>(lParam));
    }
    return FALSE;
}

INT_PTR SettingsDialog::OnInitDialog() {
    platform::KeepDialogScalingOff(dialog_);
    repeatFilter_.reset(
        SetWindowsHookExW(WH_GETMESSAGE, DropEnterRepeats, nullptr, GetCurrentThreadId()));
    LayOutAtStart(dialog_, drawn_);
    Form_Load();
    return FALSE;  // the focus is given at the first show
}

void SettingsDialog::Form_Load() {
    SetCaption(id::lblExplain, kExplanation);
    placement::ResolveTemplateLocations(TemplateLocations_);
    EnableSwitches(false, false);                              // until a look says which one may
    wake_.reset(CreateEventW(nullptr, FALSE, TRUE, nullptr));  // the first look at once
    stop_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    firstAnswer_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    thread_.reset(CreateThread(nullptr, 0, FileThread, this, 0, nullptr));
    if (!wake_ || !stop_ || !firstAnswer_ || !thread_) {
        platform::EndProgram(1);  // nothing could be looked at or switched
    }
    MSG first;
    if (WaitForSingleObject(firstAnswer_.get(), kFirstLookMs) == WAIT_OBJECT_0 &&
        PeekMessageW(&first, dialog_, kLooked, kLooked, PM_REMOVE)) {
        OnLooked(static_cast<Presence>(first.wParam));
    }
}

// One press or look at a time, holding no handle between them; its answers
// are posted, which every loop delivers (a message box's, a menu's, a drag's).
DWORD WINAPI SettingsDialog::FileThread(void* self) {
    auto& dialog = *static_cast<SettingsDialog*>(self);
    const auto& locations = dialog.TemplateLocations_;
    const HANDLE wake[] = {dialog.stop_.get(), dialog.wake_.get()};
    // Only a change is told: a look that finds the same costs the window nothing.
    Presence told = static_cast<Presence>(-1);
    for (DWORD woke;
         (woke = WaitForMultipleObjects(2, wake, FALSE, kLookEveryMs)) == WAIT_TIMEOUT ||
         woke == WAIT_OBJECT_0 + 1;) {
        if (const LONG press = InterlockedExchange(&dialog.press_, 0)) {
            const SwitchOutcome outcome =
                press == 2 ? placement::Enable(locations) : placement::Disable(locations);
            told = placement::IsInstalled(locations.strDest);
            PostMessageW(dialog.dialog_, kPressed, static_cast<WPARAM>(outcome),
                         static_cast<LPARAM>(told));
        } else if (const Presence now = placement::IsInstalled(locations.strDest); now != told) {
            PostMessageW(dialog.dialog_, kLooked, static_cast<WPARAM>(told = now), 0);
            SetEvent(dialog.firstAnswer_.get());
        }
    }
    return 0;
}

// Cannot tell: neither state, both switches enabled, never a stale state.
void SettingsDialog::RefreshState(Presence presence) {
    const bool on = presence == Presence::On, off = presence == Presence::Off;
    EnableSwitches(!on, !off);
    SetCaption(id::lblUp, on ? kEnabledText : L"");
    SetCaption(id::lblDown, off ? kDisabledText : L"");
}

// Until the answer, neither switch can be pressed and no look shows.
void SettingsDialog::Press(int button) {
    pressing_ = true;
    pressed_ = Item(button);
    EnableSwitches(false, false);
    InterlockedExchange(&press_, button == id::cmdUp ? 2 : 1);
    SetEvent(wake_.get());
}

// Never half done: a copy not yet in place is marked to go; a delete is one step.
void SettingsDialog::cmdExit_Click() {
    platform::EndProgram();
}

// Only a click of an enabled button of this window presses.
INT_PTR SettingsDialog::OnCommand(int id, int code, HWND from) {
    if (code == BN_CLICKED && from == Item(id) && IsWindowEnabled(from)) {
        if (id == id::cmdUp)
            cmdUp_Click();
        if (id == id::cmdDown)
            cmdDown_Click();
        if (id == id::cmdExit)
            cmdExit_Click();
    }
    return TRUE;
}

// Windows 10 1703 and later ask, lest they scale the frame with the client.
INT_PTR SettingsDialog::OnGetDpiScaledSize(int dpi, SIZE* size) {
    *size = WindowSizeAt(dialog_, dpi);
    return Answer(TRUE);
}

// The new DPI is wParam's: the window's own may lag (under Wine, always).
INT_PTR SettingsDialog::OnDpiChanged(int dpi, const RECT& suggested) {
    LayOut(dialog_, dpi, {suggested.left, suggested.top}, drawn_);
    return Answer(0);
}

INT_PTR SettingsDialog::OnColoursChanged() {
    RedrawWindow(dialog_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    return FALSE;
}

// Blue or red but in high contrast; never the DC's black, lost on a dark face.
INT_PTR SettingsDialog::OnCtlColorStatic(HDC dc, HWND label) {
    const int id = GetDlgCtrlID(label);
    HIGHCONTRASTW contrast{sizeof contrast, 0, nullptr};
    SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0);
    SetTextColor(dc,
                 (contrast.dwFlags & HCF_HIGHCONTRASTON) || (id != id::lblUp && id != id::lblDown)
                     ? GetSysColor(COLOR_BTNTEXT)
                 : id == id::lblUp ? GetSysColor(COLOR_HIGHLIGHT)
                                   : RGB(192, 0, 0));
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
}

// At its natural size: a stretched bitmap blurs.
INT_PTR SettingsDialog::OnDrawItem(const DRAWITEMSTRUCT& item) {
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(COLOR_BTNFACE));
    DrawStateW(item.hDC, nullptr, nullptr, reinterpret_cast<LPARAM>(drawn_.banner.get()), 0, 0, 0,
               0, 0, DST_BITMAP);
    return TRUE;
}

// Back in front: a look at once, and the focus where it was or on the other switch.
INT_PTR SettingsDialog::OnActivate(int state) {
    if (state == WA_INACTIVE) {
        focusWhenAway_ = GetFocus();
        away_ = true;
        return FALSE;
    }
    if (std::exchange(away_, false)) {  // not at the first show: just looked
        SetEvent(wake_.get());
    }
    if (HWND to = FocusFor(focusWhenAway_)) {
        GiveFocus(to);
        return Answer(0);
    }
    return FALSE;  // the dialog gives the focus back
}

// Logging off or shutting down: end now rather than be ended.
INT_PTR SettingsDialog::OnEndSession(bool ending) {
    if (ending) {
        cmdExit_Click();
    }
    return Answer(0);
}

INT_PTR SettingsDialog::OnLooked(Presence presence) {
    if (!pressing_) {
        RefreshState(presence);
    }
    return TRUE;
}

// A failure's box first, then the state; the focus goes to the pressed button,
// or to the other one when disabled, so that Enter again switches back.
INT_PTR SettingsDialog::OnPressed(SwitchOutcome outcome, Presence after) {
    DropQueuedInput();
    if (outcome != SwitchOutcome::Done) {
        const bool up = outcome == SwitchOutcome::NotEnabled;
        if (!MessageBoxW(dialog_, up ? kNotEnabledMessage : kNotDisabledMessage, kMessageTitle,
                         MB_OK | (up ? MB_ICONINFORMATION : MB_ICONSTOP))) {
            placement::PassOver(L"message box", GetLastError());
        }
        SetEvent(wake_.get());  // the box may have been open long
    }
    pressing_ = false;
    RefreshState(after);
    if ((focusWhenAway_ = FocusFor(pressed_)) && GetActiveWindow() == dialog_) {
        GiveFocus(focusWhenAway_);
    }
    return TRUE;
}

// Windows takes the focus from a button it disables; it goes to the other
// switch if enabled, never on to 退 出, whose Enter would end the program.
void SettingsDialog::EnableSwitches(bool up, bool down) {
    HWND focus = GetFocus();
    EnableWindow(Item(id::cmdDown), down);
    EnableWindow(Item(id::cmdUp), up);
    if (HWND to = FocusFor(focus); to && to != focus) {
        GiveFocus(to);
    }
}

HWND SettingsDialog::FocusFor(HWND wanted) const {
    HWND up = Item(id::cmdUp), down = Item(id::cmdDown);
    HWND other = wanted == up ? down : wanted == down ? up : nullptr;
    return wanted && IsWindowEnabled(wanted) ? wanted
           : other && IsWindowEnabled(other) ? other
                                             : nullptr;
}

// WM_NEXTDLGCTL, not SetFocus: it makes the focused button the default too.
void SettingsDialog::GiveFocus(HWND to) const {
    SendMessageW(dialog_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(to), TRUE);
}

// The same text again would be painted and read out for nothing.
void SettingsDialog::SetCaption(int id, const wchar_t* text) {
    wchar_t shown[128] = L"";
    GetWindowTextW(Item(id), shown, 128);
    if (wcscmp(shown, text) == 0) {
        return;
    }
    SetWindowTextW(Item(id), text);
    if (id != id::lblExplain && *text && IsWindowVisible(Item(id))) {
        platform::AnnounceLiveRegion(Item(id));
    }
}

INT_PTR SettingsDialog::Answer(LRESULT result) const {
    SetWindowLongPtrW(dialog_, DWLP_MSGRESULT, result);
    return TRUE;
}

}  // namespace window
