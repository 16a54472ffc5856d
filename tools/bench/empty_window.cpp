// The yardsticks for tovrel's start-up, built the same way: a Win32 program
// that only opens an empty window, and (built with THEMED) one that also asks
// for themed controls in its manifest and shows one themed button, the least
// any themed dialog needs.
#include <windows.h>

#ifdef THEMED
constexpr wchar_t kTitle[] = L"tovrel-bench-themed";
#else
constexpr wchar_t kTitle[] = L"tovrel-bench-empty";
#endif

static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
    }
    return DefWindowProcW(window, message, w, l);
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = kTitle;
    RegisterClassW(&windowClass);
    HWND window = CreateWindowW(kTitle, kTitle, WS_OVERLAPPEDWINDOW | WS_VISIBLE, CW_USEDEFAULT,
                                CW_USEDEFAULT, 458, 268, nullptr, nullptr, instance, nullptr);
#ifdef THEMED
    CreateWindowW(L"BUTTON", L"退 出", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 296, 192, 97, 36,
                  window, reinterpret_cast<HMENU>(100), instance, nullptr);
#else
    (void)window;
#endif
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        DispatchMessageW(&message);
    }
    return 0;
}
