// How the settings window paints what it draws itself: the colours of its
// labels and the banner.
#pragma once

#include <windows.h>

namespace window {

// Whether the user has high contrast on; asked whenever a label is painted.
// A seam for the tests, which answer in Windows' place: Wine refuses to switch
// high contrast on (SPI_SETHIGHCONTRAST) and always reports it off.
extern bool (*HighContrastOn)();

// The answer to WM_CTLCOLORSTATIC for `label`: the enabled-state text in the
// highlight colour, the disabled-state text in dark red, any other in the
// scheme's button text; in high contrast every label in the scheme's button
// text, readable on its button face.
INT_PTR ColourLabel(HDC dc, HWND label);

// The banner drawn for `dpi` that fits the banner control `box` as it now
// stands: of those drawn for 96, 120, 144 and 192 DPI, the one nearest `dpi`
// that fits in its client area; the 96 DPI one when none does. Null when it
// cannot be loaded.
HBITMAP LoadBanner(HWND box, int dpi);

// The banner at its natural size at the box's top-left; the rest of the box in
// the window's background colour. Never stretched: an enlarged bitmap blurs.
void DrawBanner(const DRAWITEMSTRUCT& item, HBITMAP banner);

}  // namespace window
