#include "platform/dpi.h"

#include "platform/handles.h"
#include "platform/later_windows.h"

namespace platform {

int WindowDpi(HWND window) {
    if (const auto forWindow = LATER_WINDOWS(L"user32.dll", GetDpiForWindow)) {
        return static_cast<int>(forWindow(window));
    }
    const WindowDC screen(GetDC(nullptr), {nullptr});
    const int dpi = GetDeviceCaps(screen.get(), LOGPIXELSY);
    return dpi > 0 ? dpi : 96;
}

int MetricAt(int index, int dpi) {
    const auto forDpi = LATER_WINDOWS(L"user32.dll", GetSystemMetricsForDpi);
    return forDpi ? forDpi(index, static_cast<UINT>(dpi)) : GetSystemMetrics(index);
}

SIZE WindowSizeAround(SIZE client, DWORD style, DWORD exStyle, int dpi) {
    RECT frame{0, 0, client.cx, client.cy};
    if (const auto forDpi = LATER_WINDOWS(L"user32.dll", AdjustWindowRectExForDpi)) {
        forDpi(&frame, style, FALSE, exStyle, static_cast<UINT>(dpi));
    } else {
        AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    }
    return {frame.right - frame.left, frame.bottom - frame.top};
}

void KeepDialogScalingOff(HWND dialog) {
    const auto dialogBehaviour = LATER_WINDOWS(L"user32.dll", SetDialogDpiChangeBehavior);
    const auto controlBehaviour = LATER_WINDOWS(L"user32.dll", SetDialogControlDpiChangeBehavior);
    if (!dialogBehaviour || !controlBehaviour) {
        return;
    }
    dialogBehaviour(dialog, later::kDialogDisableAll, later::kDialogDisableAll);
    constexpr unsigned kNeither = later::kControlKeepFont | later::kControlKeepLayout;
    for (HWND control = GetWindow(dialog, GW_CHILD); control;
         control = GetWindow(control, GW_HWNDNEXT)) {
        controlBehaviour(control, kNeither, kNeither);
    }
}

}  // namespace platform
