#include "window/appearance.h"

#include "window/control_ids.h"

namespace window {

namespace {

bool QueryHighContrast() {
    HIGHCONTRASTW contrast{sizeof contrast, 0, nullptr};
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON);
}

}  // namespace

bool (*HighContrastOn)() = &QueryHighContrast;

INT_PTR ColourLabel(HDC dc, HWND label) {
    // Never the DC's default black: it would vanish on a dark button face.
    COLORREF text = GetSysColor(COLOR_BTNTEXT);
    if (!HighContrastOn()) {
        const int id = GetDlgCtrlID(label);
        if (id == id::lblUp) {
            text = GetSysColor(COLOR_HIGHLIGHT);
        } else if (id == id::lblDown) {
            text = RGB(192, 0, 0);
        }
    }
    SetTextColor(dc, text);
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
}

void DrawBanner(const DRAWITEMSTRUCT& item, HBITMAP banner) {
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(COLOR_BTNFACE));
    DrawStateW(item.hDC, nullptr, nullptr, reinterpret_cast<LPARAM>(banner), 0, 0, 0, 0, 0,
               DST_BITMAP);
}

}  // namespace window
