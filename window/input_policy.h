// How the settings window takes keys and clicks: one press switches once.
#pragma once

#include <windows.h>

#include "platform/handles.h"

namespace window {

class InputPolicy {
public:
    // Enter held down repeats its key-down, and each would press the button
    // that has the focus by then: from now on, in every loop of this thread
    // (a message box's too), a repeat presses nothing.
    InputPolicy();

    // Runs `press` unless a press runs already: a message box runs a message
    // loop of its own, and clicks queued before it opened must not start the
    // handler again inside it. Keys and clicks that came meanwhile are dropped
    // afterwards; the next press counts.
    template <class Handler>
    void Press(Handler press) {
        if (pressing_) {
            return;
        }
        pressing_ = true;
        press();
        pressing_ = false;
        DropQueuedInput();
    }
    bool pressing() const { return pressing_; }

    // Drops the keys and clicks waiting in the thread's queue: they were meant
    // for the window as it was before. A request to quit among them stays.
    static void DropQueuedInput();

private:
    platform::HookHandle repeatFilter_;
    bool pressing_ = false;
};

// Sets the enabled flags of the two switch buttons. When this disables the
// button that has the focus, the focus goes to the other one, never on to
// 退 出: Enter pressed again then switches back, as the first switched.
void EnableSwitchButtons(HWND dialog, bool up, bool down);

// The switch button that takes the focus when `focus`, the control that had
// it, is disabled; null when `focus` may keep it.
HWND FocusInstead(HWND dialog, HWND focus);

}  // namespace window
