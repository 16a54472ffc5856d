#include "window/layout.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "platform/dpi.h"
#include "resources/resource_ids.h"
#include "window/control_ids.h"

namespace window {

namespace {

// Where the controls stand, in twips of the client area.
constexpr struct {
    int id, left, top, width, height;
} kPlaces[] = {
    {id::lblExplain, 360, 240, 5415, 495}, {id::lblUp, 360, 840, 3615, 495},
    {id::cmdDown, 4440, 840, 1455, 495},   {id::lblDown, 360, 1560, 3615, 495},
    {id::cmdUp, 4440, 1560, 1455, 495},    {id::Picture1, 360, 2880, 1815, 615},
    {id::cmdExit, 4440, 2880, 1455, 540},
};
constexpr SIZE kClientTwips{6780, 3630};

// The banners scripts/make_assets.py draws, in pixels.
constexpr struct {
    int dpi, id, width, height;
} kBanners[] = {{96, IDB_BANNER, 117, 36},
                {120, IDB_BANNER_120, 146, 45},
                {144, IDB_BANNER_144, 175, 54},
                {192, IDB_BANNER_192, 234, 72}};

SIZE ClientAt(int dpi) {
    return {MulDiv(kClientTwips.cx, dpi, 1440), MulDiv(kClientTwips.cy, dpi, 1440)};
}

}  // namespace

void LayOut(HWND dialog, int dpi, POINT at, Drawn& drawn) {
    const auto px = [dpi](int twips) { return MulDiv(twips, dpi, 1440); };
    platform::GdiObject<HFONT> font(CreateFontW(
        -MulDiv(105, dpi, 720), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET,
        OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"宋体"));
    for (const auto& c : kPlaces) {
        SetWindowPos(GetDlgItem(dialog, c.id), nullptr, px(c.left), px(c.top), px(c.width),
                     px(c.height), SWP_NOZORDER | SWP_NOACTIVATE);
        if (c.id != id::Picture1) {
            SendMessageW(GetDlgItem(dialog, c.id), WM_SETFONT, reinterpret_cast<WPARAM>(font.get()),
                         TRUE);
        }
    }
    drawn.font = std::move(font);
    // Of the banners that fit the box, the one drawn nearest this DPI.
    RECT box{};
    GetClientRect(GetDlgItem(dialog, id::Picture1), &box);
    const auto* chosen = &kBanners[0];
    for (const auto& banner : kBanners) {
        if (banner.width <= box.right && banner.height <= box.bottom &&
            std::abs(banner.dpi - dpi) < std::abs(chosen->dpi - dpi)) {
            chosen = &banner;
        }
    }
    const HINSTANCE module = GetModuleHandleW(nullptr);
    drawn.banner.reset(static_cast<HBITMAP>(
        LoadImageW(module, MAKEINTRESOURCEW(chosen->id), IMAGE_BITMAP, 0, 0, 0)));
    RedrawWindow(GetDlgItem(dialog, id::Picture1), nullptr, nullptr, RDW_INVALIDATE);
    // The frame measured: per-monitor v1 (8.1, 10 before 1703) keeps the system DPI's.
    const SIZE client = ClientAt(dpi), size = WindowSizeAt(dialog, dpi);
    SetWindowPos(dialog, nullptr, at.x, at.y, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    RECT got{};
    if (GetClientRect(dialog, &got) && !IsIconic(dialog) &&
        (got.right != client.cx || got.bottom != client.cy)) {
        SetWindowPos(dialog, nullptr, 0, 0, size.cx + client.cx - got.right,
                     size.cy + client.cy - got.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    // Not shared: a shared icon keeps the size it was first loaded at.
    const auto icon = [&](WPARAM which, int metric, platform::IconHandle& kept) {
        const int side = platform::MetricAt(metric, dpi);
        platform::IconHandle made(static_cast<HICON>(
            LoadImageW(module, MAKEINTRESOURCEW(IDI_TOVREL), IMAGE_ICON, side, side, 0)));
        SendMessageW(dialog, WM_SETICON, which, reinterpret_cast<LPARAM>(made.get()));
        kept = std::move(made);
    };
    icon(ICON_BIG, SM_CXICON, drawn.bigIcon);
    icon(ICON_SMALL, SM_CXSMICON, drawn.smallIcon);
}

void LayOutAtStart(HWND dialog, Drawn& drawn) {
    POINT pointer{};
    GetCursorPos(&pointer);
    MONITORINFO monitor{sizeof monitor, {}, {}, 0};
    GetMonitorInfoW(MonitorFromPoint(pointer, MONITOR_DEFAULTTOPRIMARY), &monitor);
    // Moved there, it may find itself at that monitor's DPI: laid out again.
    for (int dpi = 0, times = 0; times < 2 && dpi != platform::WindowDpi(dialog); ++times) {
        dpi = platform::WindowDpi(dialog);
        LayOut(dialog, dpi, CentredIn(monitor.rcWork, WindowSizeAt(dialog, dpi)), drawn);
    }
}

SIZE WindowSizeAt(HWND dialog, int dpi) {
    return platform::WindowSizeAround(ClientAt(dpi), GetWindowLongW(dialog, GWL_STYLE),
                                      GetWindowLongW(dialog, GWL_EXSTYLE), dpi);
}

POINT CentredIn(const RECT& work, SIZE size) {
    return {std::max<int>(work.left, work.left + (work.right - work.left - size.cx) / 2),
            std::max<int>(work.top, work.top + (work.bottom - work.top - size.cy) / 2)};
}

}  // namespace window
