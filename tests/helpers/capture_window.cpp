// capture_window TITLE OUT.bmp [SECONDS]
// Waits until a visible top-level window titled TITLE has been painted, then
// saves what the screen shows of it as a 24-bit BMP.
// Exits 1 when no such window appeared in time (default 30 seconds).
#include <windows.h>

#include <cwchar>
#include <exception>

#include "tests/support/screen.h"

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        return 2;
    }
    const int seconds = argc > 3 ? _wtoi(argv[3]) : 30;
    HWND window = nullptr;
    for (int waited = 0; waited < seconds * 10 && !window; ++waited) {
        window = FindWindowW(nullptr, argv[1]);
        if (!window || !IsWindowVisible(window)) {
            window = nullptr;
            Sleep(100);
        }
    }
    if (!window) {
        return 1;
    }
    Sleep(700);  // let the window and its controls finish painting
    RECT area;
    GetWindowRect(window, &area);
    try {
        support::SaveBmp(support::CaptureScreen(area), argv[2]);
    } catch (const std::exception&) {
        return 3;
    }
    return 0;
}
