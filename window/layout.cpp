#include "window/layout.h"

#include <algorithm>

#include "platform/dpi.h"
#include "window/control_ids.h"

namespace window {

const ControlPlace kControlPlaces[7] = {
    {id::lblExplain, 360, 240, 5415, 495}, {id::lblUp, 360, 840, 3615, 495},
    {id::cmdDown, 4440, 840, 1455, 495},   {id::lblDown, 360, 1560, 3615, 495},
    {id::cmdUp, 4440, 1560, 1455, 495},    {id::Picture1, 360, 2880, 1815, 615},
    {id::cmdExit, 4440, 2880, 1455, 540},
};

int TwipsToPixels(int twips, int dpi) {
    return MulDiv(twips, dpi, 1440);
}

SIZE ClientSizeAt(int dpi) {
    return {TwipsToPixels(kClientTwips.cx, dpi), TwipsToPixels(kClientTwips.cy, dpi)};
}

HFONT CreateControlFont(int dpi) {
    return CreateFontW(-MulDiv(105, dpi, 720), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                       GB2312_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH, L"宋体");
}

void PlaceControls(HWND dialog, int dpi, HFONT font) {
    for (const ControlPlace& c : kControlPlaces) {
        HWND control = GetDlgItem(dialog, c.id);
        SetWindowPos(control, nullptr, TwipsToPixels(c.left, dpi), TwipsToPixels(c.top, dpi),
                     TwipsToPixels(c.width, dpi), TwipsToPixels(c.height, dpi),
                     SWP_NOZORDER | SWP_NOACTIVATE);
        if (c.id != id::Picture1) {
            SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
        }
    }
}

void SizeWindow(HWND dialog, int dpi, POINT at) {
    const SIZE client = ClientSizeAt(dpi);
    const SIZE size = platform::WindowSizeAround(client, kDialogStyle, kDialogExStyle, dpi);
    SetWindowPos(dialog, nullptr, at.x, at.y, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    RECT got;
    if (GetClientRect(dialog, &got) && !IsIconic(dialog) &&
        (got.right != client.cx || got.bottom != client.cy)) {
        SetWindowPos(dialog, nullptr, 0, 0, size.cx + client.cx - got.right,
                     size.cy + client.cy - got.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

RECT StartingWorkArea() {
    POINT pointer{};
    GetCursorPos(&pointer);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoW(MonitorFromPoint(pointer, MONITOR_DEFAULTTOPRIMARY), &monitor)) {
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &monitor.rcWork, 0);
    }
    return monitor.rcWork;
}

POINT CentredIn(const RECT& work, SIZE size) {
    return {std::max<int>(work.left, work.left + (work.right - work.left - size.cx) / 2),
            std::max<int>(work.top, work.top + (work.bottom - work.top - size.cy) / 2)};
}

}  // namespace window
