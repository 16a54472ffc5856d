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

    // Drops the keys and clicks waiting in the thread's queue: they were meant
    // for the window as it was before. A request to quit among them stays.
    static void DropQueuedInput();

private:
    platform::HookHandle repeatFilter_;
};

// Sets the enabled flags of the two switch buttons. When this disables the
// button that has the focus, the focus goes to the other one if it is
// enabled, never on to 退 出: Enter pressed again then switches back, as the
// first switched. With both disabled, Windows takes the focus away, and Enter
// presses nothing.
void EnableSwitchButtons(HWND dialog, bool up, bool down);

// Where the focus belongs when `wanted` should have it: `wanted` while it is
// enabled, else the other switch button when `wanted` is one and the other is
// enabled; null when neither.
HWND FocusFor(HWND dialog, HWND wanted);

}  // namespace window
