// The settings window laid out from its twips table at its monitor's DPI.
#pragma once

#include <windows.h>

#include "platform/handles.h"

namespace window {

// What the window shows at one DPI, kept while it shows it.
struct Drawn {
    platform::GdiObject<HFONT> font;
    platform::GdiObject<HBITMAP> banner;
    platform::IconHandle bigIcon, smallIcon;
};

// At `dpi`, its top-left at `at`: font, places, banner and icons; they
// replace `drawn`.
void LayOut(HWND dialog, int dpi, POINT at, Drawn& drawn);

// Centred on the monitor under the pointer, where the user just started it.
void LayOutAtStart(HWND dialog, Drawn& drawn);

// The window's size around the table's client area at `dpi`.
SIZE WindowSizeAt(HWND dialog, int dpi);

// `size` centred on `work`: wholly inside when it fits, else its title bar.
POINT CentredIn(const RECT& work, SIZE size);

}  // namespace window
