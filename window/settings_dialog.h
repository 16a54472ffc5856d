// The settings window "tovrel": the add-in's state in words, the enable and
// disable buttons beside it, the banner and the exit button. Creating it
// resolves where the template belongs and shows the state; the buttons switch
// the add-in and report a failed attempt in a message box. The window reaches
// this object through its DWLP_USER.
#pragma once

#include <windows.h>

#include "placement/template_locations.h"
#include "platform/handles.h"
#include "platform/live_region.h"
#include "placement/template_switch.h"
#include "window/file_thread.h"
#include "window/input_policy.h"

namespace window {

class SettingsDialog {
public:
    SettingsDialog() = default;
    // The window goes first, and no handler of this object runs while it goes.
    ~SettingsDialog();
    SettingsDialog(const SettingsDialog&) = delete;
    SettingsDialog& operator=(const SettingsDialog&) = delete;

    // Creates the window, hidden, laid out at its monitor's DPI and centred,
    // and runs Form_Load, so that it already shows the add-in's state (or,
    // when a share does not answer at once, neither state until it does).
    // False when Windows could not make it.
    bool Create();
    // Shows it for the first time as `showCommand` asks (the one the program
    // was started with: minimized from a shortcut set so, say); the focus
    // starts on 退 出, which Enter then presses.
    void Show(int showCommand = SW_SHOWNORMAL);
    HWND hwnd() const { return dialog_; }

    // The button handlers, also run directly by tests. A switch runs off the
    // window's thread: the state it left shows when its answer is taken from
    // the window's queue.
    void cmdUp_Click();
    void cmdDown_Click();
    [[noreturn]] void cmdExit_Click();

private:
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

    INT_PTR OnInitDialog();
    INT_PTR OnCommand(int id, int code, LPARAM control);
    INT_PTR OnGetDpiScaledSize(int dpi, LPARAM size);
    INT_PTR OnDpiChanged(int dpi, LPARAM suggestedRect);
    INT_PTR OnColoursChanged();
    INT_PTR OnCtlColorStatic(WPARAM dc, LPARAM label);
    INT_PTR OnDrawItem(LPARAM item);
    INT_PTR OnActivate(int state);
    [[noreturn]] INT_PTR OnDestroy();
    INT_PTR OnEndSession(bool ending);
    INT_PTR OnLooked(platform::Presence presence);
    INT_PTR OnPressed(placement::SwitchOutcome outcome, platform::Presence after);

    void Form_Load();
    void RefreshState(platform::Presence presence);
    void Press(int button);
    void LayOut(int dpi, POINT at);
    void SetCaption(int id, const wchar_t* text);
    void ShowMessage(const wchar_t* text, UINT icon);

    placement::TemplateLocations TemplateLocations_;
    // What the window uses outlives it: these go after it.
    platform::GdiObject<HFONT> font_;
    platform::GdiObject<HBITMAP> banner_;
    platform::IconHandle bigIcon_, smallIcon_;
    InputPolicy input_;
    platform::OwnedWindow owner_;  // the dialog goes with it
    HWND dialog_ = nullptr;
    platform::LiveRegions live_;  // unmarks the labels before they go
    FileThread files_;            // posts to the window, so goes first
    bool pressing_ = false;       // from a press until its answer is shown
    HWND pressed_ = nullptr;      // the button of the last press
    // The control to have the focus when the window comes back in front.
    HWND focusWhenAway_ = nullptr;
    bool away_ = false;
};

}  // namespace window
