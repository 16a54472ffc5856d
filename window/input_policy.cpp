#include "window/input_policy.h"

#include <utility>

#include "window/control_ids.h"

namespace window {

namespace {

LRESULT CALLBACK DropEnterRepeats(int code, WPARAM removal, LPARAM lParam) noexcept {
    auto& message = *reinterpret_cast<MSG*>(lParam);
    constexpr LPARAM kRepeat = 1 << 30;
    if (code == HC_ACTION && message.message == WM_KEYDOWN && message.wParam == VK_RETURN &&
        (message.lParam & kRepeat)) {
        message.message = WM_NULL;
    }
    return CallNextHookEx(nullptr, code, removal, lParam);
}

}  // namespace

InputPolicy::InputPolicy()
    : repeatFilter_(
          SetWindowsHookExW(WH_GETMESSAGE, DropEnterRepeats, nullptr, GetCurrentThreadId())) {}

void InputPolicy::DropQueuedInput() {
    for (const auto& [first, last] :
         {std::pair{WM_KEYFIRST, WM_KEYLAST}, std::pair{WM_MOUSEFIRST, WM_MOUSELAST}}) {
        // Windows hands a quit request to any filter: it goes back, and the
        // program's loop ends on it.
        for (MSG message; PeekMessageW(&message, nullptr, first, last, PM_REMOVE);) {
            if (message.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(message.wParam));
                return;
            }
        }
    }
}

void EnableSwitchButtons(HWND dialog, bool up, bool down) {
    HWND focus = GetFocus();
    // In this order: the disable button first, then the enable button.
    EnableWindow(GetDlgItem(dialog, id::cmdDown), down);
    EnableWindow(GetDlgItem(dialog, id::cmdUp), up);
    // Windows takes the focus from a button it disables.
    if (HWND to = focus ? FocusFor(dialog, focus) : nullptr; to && to != focus) {
        SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(to), TRUE);
    }
}

HWND FocusFor(HWND dialog, HWND wanted) {
    if (IsWindowEnabled(wanted)) {
        return wanted;
    }
    HWND up = GetDlgItem(dialog, id::cmdUp), down = GetDlgItem(dialog, id::cmdDown);
    HWND other = wanted == up ? down : wanted == down ? up : nullptr;
    return other && IsWindowEnabled(other) ? other : nullptr;
}

}  // namespace window
