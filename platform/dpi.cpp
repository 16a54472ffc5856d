#include "platform/dpi.h"

#include "platform/handles.h"
#include "platform/later_windows.h"

namespace platform {

int WindowDpi(HWND window) {
    if (const auto dpiForWindow = LATER_WINDOWS(L"user32.dll", GetDpiForWindow)) {
        if (const UINT dpi = dpiForWindow(window)) {
            return static_cast<int>(dpi);
        }
    }
    const WindowDC screen(GetDC(nullptr), {nullptr});
    const int dpi = screen ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
    return dpi > 0 ? dpi : 96;
}

int MetricAt(int index, int dpi) {
    if (const auto forDpi = LATER_WINDOWS(L"user32.dll", GetSystemMetricsForDpi)) {
        return forDpi(index, static_cast<UINT>(dpi));
    }
    return GetSystemMetrics(index);
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
    if (const auto dialogBehaviour = LATER_WINDOWS(L"user32.dll", SetDialogDpiChangeBehavior)) {
        dialogBehaviour(dialog, later::kDialogDisableAll, later::kDialogDisableAll);
    }
    if (const auto controlBehaviour =
            LATER_WINDOWS(L"user32.dll", SetDialogControlDpiChangeBehavior)) {
        constexpr unsigned kNeither = later::kControlKeepFont | later::kControlKeepLayout;
        for (HWND control = GetWindow(dialog, GW_CHILD); control;
             control = GetWindow(control, GW_HWNDNEXT)) {
            controlBehaviour(control, kNeither, kNeither);
        }
    }
}

}  // namespace platform
