#include "window/appearance.h"

#include <cstdlib>

#include "resources/resource_ids.h"
#include "window/control_ids.h"

namespace window {

namespace {

// The banners scripts/make_assets.py draws: 117 x 36 pixels at 96 DPI, and in
// proportion at the others.
struct BannerArt {
    int dpi, id;
    SIZE size;
};
constexpr BannerArt kBanners[] = {
    {96, IDB_BANNER, {117, 36}},
    {120, IDB_BANNER_120, {146, 45}},
    {144, IDB_BANNER_144, {175, 54}},
    {192, IDB_BANNER_192, {234, 72}},
};

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

HBITMAP LoadBanner(HWND box, int dpi) {
    RECT inside{};
    GetClientRect(box, &inside);
    const BannerArt* chosen = &kBanners[0];
    for (const BannerArt& art : kBanners) {
        if (art.size.cx <= inside.right && art.size.cy <= inside.bottom &&
            std::abs(art.dpi - dpi) < std::abs(chosen->dpi - dpi)) {
            chosen = &art;
        }
    }
    return static_cast<HBITMAP>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(chosen->id), IMAGE_BITMAP, 0, 0, 0));
}

void DrawBanner(const DRAWITEMSTRUCT& item, HBITMAP banner) {
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(COLOR_BTNFACE));
    DrawStateW(item.hDC, nullptr, nullptr, reinterpret_cast<LPARAM>(banner), 0, 0, 0, 0, 0,
               DST_BITMAP);
}

}  // namespace window
