// capture_window TITLE OUT.bmp [SECONDS]
// Waits until a visible top-level window titled TITLE has been painted, then
// saves what the screen shows of it as a 24-bit BMP.
// Exits 1 when no such window appeared in time (default 30 seconds).
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <vector>

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        return 2;
    }
    const int seconds = argc > 3 ? _wtoi(argv[3]) : 30;
    HWND window = nullptr;
    for (int waited = 0; waited < seconds * 10; ++waited) {
        window = FindWindowW(nullptr, argv[1]);
        if (window && IsWindowVisible(window)) {
            break;
        }
        window = nullptr;
        Sleep(100);
    }
    if (!window) {
        return 1;
    }
    Sleep(700);  // let the window and its controls finish painting
    RECT r;
    GetWindowRect(window, &r);
    const int width = r.right - r.left, height = r.bottom - r.top;

    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    GdiFlush();

    const DWORD stride = (width * 3 + 3) & ~3;
    const DWORD imageSize = stride * height;
    BITMAPFILEHEADER file{
        0x4D42, static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + imageSize),
        0, 0, sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)};
    info.bmiHeader.biSizeImage = imageSize;
    int status = 3;
    if (FILE* out = _wfopen(argv[2], L"wb")) {
        fwrite(&file, sizeof file, 1, out);
        fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out);
        fwrite(bits, imageSize, 1, out);
        status = fclose(out) == 0 ? 0 : 3;
    }
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return status;
}
