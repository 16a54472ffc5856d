// Where the settings window's controls stand, in twips (1/1440 inch), and
// that table laid out in pixels at a DPI: 15 twips a pixel at 96 DPI.
#pragma once

#include <windows.h>

namespace window {

struct ControlPlace {
    int id;
    int left, top, width, height;  // twips, in the client area
};

extern const ControlPlace kControlPlaces[7];
constexpr SIZE kClientTwips{6780, 3630};

constexpr DWORD kDialogStyle = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kDialogExStyle = WS_EX_DLGMODALFRAME;

int TwipsToPixels(int twips, int dpi);
SIZE ClientSizeAt(int dpi);

// The font of every text control at `dpi`: 宋体, 10.5 points, regular, GB2312.
HFONT CreateControlFont(int dpi);

// Places and sizes every control of `dialog` from the table at `dpi` and
// gives the text controls `font`.
void PlaceControls(HWND dialog, int dpi, HFONT font);

// Gives `dialog` the client area of the table at `dpi`, its top-left at `at`.
// The frame is measured, not assumed: a per-monitor v1 window (Windows 8.1,
// 10 before 1703) keeps the system DPI's frame on every monitor.
void SizeWindow(HWND dialog, int dpi, POINT at);

// The work area (the monitor less the task bar) of the monitor the window
// starts on: the one the mouse pointer is on, as the user just started the
// program from there.
RECT StartingWorkArea();

// Where a window of `size` stands centred on `work`, wholly inside it when it
// fits. Larger (at a very high DPI), it keeps its title bar in the work area,
// where it can be seen and moved.
POINT CentredIn(const RECT& work, SIZE size);

}  // namespace window
