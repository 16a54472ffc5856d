// The resources as this test program carries them: the resource script is
// linked into it as into tovrel, and Windows reads them back.
#include "resources/resource_ids.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <tuple>
#include <vector>

#include "tests/support/test_handles.h"

namespace {

constexpr std::uint32_t kRed = 0xFC0204;

// An image's pixels as 0x00RRGGBB, rows top-down.
std::vector<std::uint32_t> PixelsOf(HBITMAP bitmap, int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(info.bmiHeader), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<std::uint32_t> pixels(static_cast<size_t>(width) * height);
    support::MemoryDC dc(CreateCompatibleDC(nullptr));
    if (GetDIBits(dc.get(), bitmap, 0, height, pixels.data(), &info, DIB_RGB_COLORS) != height) {
        pixels.clear();
    }
    for (auto& pixel : pixels) {
        pixel &= 0xFFFFFF;
    }
    return pixels;
}

bool Near(std::uint32_t colour, int r, int g, int b) {
    return std::abs(static_cast<int>(colour >> 16 & 0xFF) - r) <= 8 &&
           std::abs(static_cast<int>(colour >> 8 & 0xFF) - g) <= 8 &&
           std::abs(static_cast<int>(colour & 0xFF) - b) <= 8;
}

// The banner for each DPI it is drawn at: its id, width and height.
class Banner : public testing::TestWithParam<std::tuple<int, int, int>> {};

// What the picture box draws: the banner as Windows loads it. Every pixel is
// the text's red or its row's gradient colour: no blend of the two, which an
// enlarged and smoothed banner would show.
TEST_P(Banner, ShowsRedTextCentredOnAVerticalGradient) {
    const int kWidth = std::get<1>(GetParam()), kHeight = std::get<2>(GetParam());
    platform::GdiObject<HBITMAP> banner(static_cast<HBITMAP>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(std::get<0>(GetParam())),
                   IMAGE_BITMAP, 0, 0, 0)));
    ASSERT_TRUE(banner) << "the banner should load as a bitmap";
    BITMAP size{};
    GetObjectW(banner.get(), sizeof size, &size);
    ASSERT_EQ(size.bmWidth, kWidth);
    ASSERT_EQ(size.bmHeight, kHeight);
    const auto pixels = PixelsOf(banner.get(), kWidth, kHeight);
    ASSERT_FALSE(pixels.empty());
    auto pixel = [&](int x, int y) { return pixels[y * kWidth + x]; };
    EXPECT_TRUE(Near(pixel(0, 0), 204, 254, 252)) << "pale cyan at the top";
    EXPECT_TRUE(Near(pixel(kWidth - 1, kHeight - 1), 4, 206, 252)) << "sky blue at the bottom";

    // Every pixel is text or its row's one gradient colour, which only ever
    // darkens downwards.
    int left = kWidth, right = -1, top = kHeight, bottom = -1, red = 0;
    for (int y = 0; y < kHeight; ++y) {
        if (y > 0) {
            EXPECT_LE(pixel(0, y), pixel(0, y - 1)) << "row " << y;
        }
        for (int x = 0; x < kWidth; ++x) {
            if (pixel(x, y) != kRed) {
                EXPECT_EQ(pixel(x, y), pixel(0, y)) << "at " << x << "," << y;
                continue;
            }
            ++red;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    EXPECT_GT(red * 10, kWidth * kHeight) << "text of a readable weight";
    EXPECT_NEAR((left + right) / 2.0, (kWidth - 1) / 2.0, 2.0);
    EXPECT_NEAR((top + bottom) / 2.0, (kHeight - 1) / 2.0, 2.0);
    EXPECT_GE((bottom - top + 1) * 2, kHeight) << "text as tall as at 96 DPI, in proportion";
}

INSTANTIATE_TEST_SUITE_P(Dpis, Banner,
                         testing::Values(std::tuple{IDB_BANNER, 117, 36},
                                         std::tuple{IDB_BANNER_120, 146, 45},
                                         std::tuple{IDB_BANNER_144, 175, 54},
                                         std::tuple{IDB_BANNER_192, 234, 72}));

class Icon : public testing::TestWithParam<int> {};

TEST_P(Icon, LoadsAtItsSizeTransparentOutsideTheSign) {
    const int size = GetParam();
    const platform::IconHandle icon(
        static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_TOVREL),
                                      IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
    ASSERT_TRUE(icon);
    ICONINFO parts{};
    ASSERT_TRUE(GetIconInfo(icon.get(), &parts));
    const platform::GdiObject<HBITMAP> colour(parts.hbmColor), mask(parts.hbmMask);
    ASSERT_TRUE(mask);

    const auto bits = PixelsOf(mask.get(), size, size);
    ASSERT_FALSE(bits.empty());
    // A set mask bit (white) lets the background through.
    EXPECT_EQ(bits[0], 0xFFFFFFu) << "corner";
    EXPECT_EQ(bits[size / 2 * size + size / 2], 0u) << "centre";

    // Drawn for that size in 16 colours, not another size scaled.
    auto* group = static_cast<BYTE*>(LockResource(LoadResource(
        nullptr, FindResourceW(nullptr, MAKEINTRESOURCEW(IDI_TOVREL), RT_GROUP_ICON))));
    const int image = LookupIconIdFromDirectoryEx(group, TRUE, size, size, LR_DEFAULTCOLOR);
    const auto* header = static_cast<const BITMAPINFOHEADER*>(LockResource(
        LoadResource(nullptr, FindResourceW(nullptr, MAKEINTRESOURCEW(image), RT_ICON))));
    ASSERT_TRUE(header);
    EXPECT_EQ(header->biWidth, size);
    EXPECT_EQ(header->biBitCount, 4);
}

INSTANTIATE_TEST_SUITE_P(Sizes, Icon, testing::Values(16, 20, 24, 32, 40, 48));

// Explorer shows the description in Chinese: the script is read as UTF-8.
TEST(VersionRecord, DescribesTheProgramInChinese) {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    DWORD ignored = 0;
    std::vector<BYTE> block(GetFileVersionInfoSizeW(path, &ignored));
    ASSERT_FALSE(block.empty());
    ASSERT_TRUE(GetFileVersionInfoW(path, 0, block.size(), block.data()));
    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\StringFileInfo\\080404b0\\FileDescription", &value,
                               &length));
    EXPECT_EQ(std::wstring(static_cast<const wchar_t*>(value)), L"Quorlen设置");
}

// The manifest: Windows builds an activation context from it (a manifest that
// does not parse stops the program from starting at all), and it says what it
// must: the user's own rights, the supported Windows versions, themed
// controls, per-monitor DPI with system DPI for older Windows.
TEST(Manifest, ParsesAndStatesRightsVersionsControlsAndDpi) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    ACTCTXW context{};
    context.cbSize = sizeof context;
    context.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    context.lpSource = self;
    context.lpResourceName = MAKEINTRESOURCEW(1);
    HANDLE activation = CreateActCtxW(&context);
    ASSERT_NE(activation, INVALID_HANDLE_VALUE) << "error " << GetLastError();
    ReleaseActCtx(activation);

    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    ASSERT_TRUE(found);
    const std::string manifest(static_cast<const char*>(LockResource(LoadResource(nullptr, found))),
                               SizeofResource(nullptr, found));
    const char* required[] = {
        "level=\"asInvoker\"",
        "{e2011457-1546-43c5-a5fe-008deee3d3f0}",  // Vista
        "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  // 7
        "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  // 8
        "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  // 8.1
        "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  // 10 and 11
        "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
        ">true</dpiAware>",
        // Windows 10 1607 knows PerMonitor only, and reads no dpiAware once
        // dpiAwareness is there.
        ">PerMonitorV2, PerMonitor</dpiAwareness>",
    };
    for (const char* text : required) {
        EXPECT_NE(manifest.find(text), std::string::npos) << "the manifest should hold " << text;
    }
}

}  // namespace
