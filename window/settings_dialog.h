// The settings window; its file calls run on a thread of their own.
#pragma once

#include <windows.h>

#include "placement/template_locations.h"
#include "placement/template_switch.h"
#include "platform/handles.h"
#include "window/control_ids.h"
#include "window/layout.h"

namespace window {

// Posted by the file thread: kLooked with the Presence in wParam; kPressed
// with the SwitchOutcome in wParam and the Presence after it in lParam.
constexpr UINT kLooked = WM_APP + 1, kPressed = WM_APP + 2;

class SettingsDialog {
public:
    ~SettingsDialog();  // no handler runs while the window goes; not copied: it owns handles
    // Hidden, with the first look's state (waited for 0.5 s at most); false if unmade.
    bool Create();
    // The first show, as the program was started; Enter then presses 退 出.
    void Show(int showCommand = SW_SHOWNORMAL);
    HWND hwnd() const { return dialog_; }

    void cmdUp_Click() { Press(id::cmdUp); }
    void cmdDown_Click() { Press(id::cmdDown); }
    [[noreturn]] void cmdExit_Click();

private:
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    static DWORD WINAPI FileThread(void* self);
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR OnInitDialog();
    INT_PTR OnCommand(int id, int code, HWND from);
    INT_PTR OnGetDpiScaledSize(int dpi, SIZE* size);
    INT_PTR OnDpiChanged(int dpi, const RECT& suggested);
    INT_PTR OnColoursChanged();
    INT_PTR OnCtlColorStatic(HDC dc, HWND label);
    INT_PTR OnDrawItem(const DRAWITEMSTRUCT& item);
    INT_PTR OnActivate(int state);
    INT_PTR OnEndSession(bool ending);
    INT_PTR OnLooked(platform::Presence presence);
    INT_PTR OnPressed(placement::SwitchOutcome outcome, platform::Presence after);

    void Form_Load();
    void RefreshState(platform::Presence presence);
    void Press(int button);
    void EnableSwitches(bool up, bool down);
    HWND FocusFor(HWND wanted) const;
    void GiveFocus(HWND to) const;
    void SetCaption(int id, const wchar_t* text);
    HWND Item(int id) const { return GetDlgItem(dialog_, id); }
    INT_PTR Answer(LRESULT result) const;

    placement::TemplateLocations TemplateLocations_;
    Drawn drawn_;  // what the window shows outlives it
    platform::HookHandle repeatFilter_;
    platform::OwnedWindow owner_;  // the dialog goes with it
    HWND dialog_ = nullptr;
    platform::KernelHandle wake_, stop_, firstAnswer_, thread_;
    LONG press_ = 0;          // for the file thread: 0, or 1 + whether to switch on
    bool pressing_ = false;   // from a press until its answer shows
    HWND pressed_ = nullptr;  // the button of the last press
    HWND focusWhenAway_ = nullptr;
    bool away_ = false;
};

}  // namespace window
