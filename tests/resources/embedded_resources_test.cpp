// The resources as this test program carries them: the resource script is
// linked into it as into tovrel, and Windows reads them back.
#include "platform/banner_bitmap.h"
#include "platform/gif_image.h"
#include "resources/resource_ids.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 117;
constexpr int kHeight = 36;
constexpr std::uint32_t kRed = 0xFC0204;

std::span<const unsigned char> Resource(LPCWSTR name, LPCWSTR type) {
    HMODULE self = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(self, name, type);
    if (!found) {
        return {};
    }
    auto* data = static_cast<const unsigned char*>(LockResource(LoadResource(self, found)));
    return {data, SizeofResource(self, found)};
}

std::span<const unsigned char> Banner() {
    return Resource(MAKEINTRESOURCEW(IDR_BANNER), RT_RCDATA);
}

bool Near(std::uint32_t colour, int r, int g, int b) {
    return std::abs(static_cast<int>(colour >> 16 & 0xFF) - r) <= 8 &&
           std::abs(static_cast<int>(colour >> 8 & 0xFF) - g) <= 8 &&
           std::abs(static_cast<int>(colour & 0xFF) - b) <= 8;
}

TEST(Banner, IsAGif87aWith32ColoursAndNoExtensions) {
    auto gif = Banner();
    ASSERT_GT(gif.size(), 13u + 96u);
    EXPECT_EQ(std::string(gif.begin(), gif.begin() + 6), "GIF87a");
    EXPECT_EQ(gif[10] & 0x87, 0x84) << "a global palette of 2^(4+1) entries";
    EXPECT_EQ(gif[13 + 96], 0x2C) << "the image follows the palette directly";
}

TEST(Banner, ShowsRedTextCentredOnAVerticalGradient) {
    auto image = platform::DecodeGif(Banner());
    ASSERT_TRUE(image);
    ASSERT_EQ(image->width, kWidth);
    ASSERT_EQ(image->height, kHeight);
    auto pixel = [&](int x, int y) { return image->pixels[y * kWidth + x]; };
    EXPECT_TRUE(Near(pixel(0, 0), 204, 254, 252));
    EXPECT_TRUE(Near(pixel(kWidth - 1, kHeight - 1), 4, 206, 252));

    // Every pixel is text or its row's one gradient colour, which only ever
    // darkens downwards: a decoding slip would scatter other colours.
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
    EXPECT_GT(red, 300);
    EXPECT_NEAR((left + right) / 2.0, (kWidth - 1) / 2.0, 2.0);
    EXPECT_NEAR((top + bottom) / 2.0, (kHeight - 1) / 2.0, 2.0);
    EXPECT_GE(bottom - top + 1, 16) << "text of a readable height";
}

TEST(Banner, LoadsAsATopDownDibOfTheDecodedPixels) {
    platform::GdiBitmap bitmap(platform::LoadBannerBitmap(GetModuleHandleW(nullptr)));
    ASSERT_TRUE(bitmap);
    DIBSECTION dib{};
    ASSERT_EQ(GetObjectW(bitmap.get(), sizeof(dib), &dib), static_cast<int>(sizeof(dib)));
    EXPECT_EQ(dib.dsBmih.biWidth, kWidth);
    // GetObject may drop the height's sign; the pixels show the rows run top-down.
    EXPECT_EQ(std::abs(dib.dsBmih.biHeight), kHeight);
    EXPECT_EQ(dib.dsBmih.biBitCount, 32);
    auto image = platform::DecodeGif(Banner());
    ASSERT_TRUE(image);
    auto* bits = static_cast<const std::uint32_t*>(dib.dsBm.bmBits);
    EXPECT_EQ(std::vector<std::uint32_t>(bits, bits + kWidth * kHeight), image->pixels);

    // kernel32 holds no banner.
    EXPECT_EQ(platform::LoadBannerBitmap(GetModuleHandleW(L"kernel32.dll")), nullptr);
}

// Bytes changed at random must never crash the decoder, whatever it makes of them.
TEST(Banner, DecoderSurvivesCorruptedCopies) {
    auto original = Banner();
    ASSERT_FALSE(original.empty());
    std::srand(7);
    for (int round = 0; round < 2000; ++round) {
        std::vector<unsigned char> copy(original.begin(), original.end());
        for (int changes = 1 + round % 4; changes > 0; --changes) {
            copy[std::rand() % copy.size()] = static_cast<unsigned char>(std::rand());
        }
        if (auto image = platform::DecodeGif(copy)) {
            EXPECT_EQ(image->pixels.size(), static_cast<std::size_t>(image->width) * image->height);
        }
    }
}

struct LoadedIcon {
    HICON icon = nullptr;
    ICONINFO info{};
    ~LoadedIcon() {
        for (HBITMAP bitmap : {info.hbmColor, info.hbmMask}) {
            if (bitmap) {
                DeleteObject(bitmap);
            }
        }
        if (icon) {
            DestroyIcon(icon);
        }
    }
};

class Icon : public testing::TestWithParam<int> {};

TEST_P(Icon, LoadsAtItsSizeTransparentOutsideTheSign) {
    const int size = GetParam();
    LoadedIcon loaded;
    loaded.icon =
        static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_TOVREL),
                                      IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
    ASSERT_TRUE(loaded.icon);
    ASSERT_TRUE(GetIconInfo(loaded.icon, &loaded.info));
    ASSERT_TRUE(loaded.info.hbmMask);

    BITMAPINFO info{};
    info.bmiHeader = {sizeof(info.bmiHeader), size, -size, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<DWORD> mask(size * size);
    HDC dc = CreateCompatibleDC(nullptr);
    const int rows =
        GetDIBits(dc, loaded.info.hbmMask, 0, size, mask.data(), &info, DIB_RGB_COLORS);
    DeleteDC(dc);
    ASSERT_EQ(rows, size);
    // A set mask bit (white) lets the background through.
    EXPECT_EQ(mask[0] & 0xFFFFFF, 0xFFFFFFu) << "corner";
    EXPECT_EQ(mask[size / 2 * size + size / 2] & 0xFFFFFF, 0u) << "centre";
}

INSTANTIATE_TEST_SUITE_P(Sizes, Icon, testing::Values(32, 16));

TEST(Icon, HoldsA32AndA16PixelImageOf16Colours) {
    // After a 6-byte header, 14-byte entries: width, height, colour count,
    // reserved, planes (2 bytes), bit count (2 bytes), ...
    auto group = Resource(MAKEINTRESOURCEW(IDI_TOVREL), RT_GROUP_ICON);
    ASSERT_EQ(group.size(), 6u + 2 * 14);
    for (int i : {0, 1}) {
        auto entry = group.subspan(6 + 14 * i, 14);
        EXPECT_EQ(entry[0], i == 0 ? 32 : 16);
        EXPECT_EQ(entry[2], 16);
        EXPECT_EQ(entry[6], 4) << "bits per pixel";
    }
}

TEST(VersionRecord, HoldsVersionOneAndTheChineseStrings) {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    DWORD ignored = 0;
    std::vector<BYTE> block(GetFileVersionInfoSizeW(path, &ignored));
    ASSERT_FALSE(block.empty());
    ASSERT_TRUE(GetFileVersionInfoW(path, 0, block.size(), block.data()));
    auto query = [&](const std::wstring& name, UINT expectedLength = 0) -> void* {
        void* value = nullptr;
        UINT length = 0;
        if (!VerQueryValueW(block.data(), name.c_str(), &value, &length) ||
            (expectedLength && length != expectedLength)) {
            return nullptr;
        }
        return value;
    };

    auto* fixed = static_cast<VS_FIXEDFILEINFO*>(query(L"\\", sizeof(VS_FIXEDFILEINFO)));
    ASSERT_TRUE(fixed);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    auto* translation = static_cast<WORD*>(query(L"\\VarFileInfo\\Translation", 4));
    ASSERT_TRUE(translation);
    EXPECT_EQ(translation[0], 0x0804);
    EXPECT_EQ(translation[1], 1200);

    const std::pair<const wchar_t*, const wchar_t*> strings[] = {
        {L"FileDescription", L"Quorlen设置"},
        {L"ProductName", L"Quorlen"},
        {L"FileVersion", L"1.00"},
        {L"ProductVersion", L"1.00"},
        {L"InternalName", L"tovrel"},
        {L"OriginalFilename", L"tovrel.exe"}};
    for (auto [name, expected] : strings) {
        auto* value =
            static_cast<wchar_t*>(query(std::wstring(L"\\StringFileInfo\\080404b0\\") + name));
        ASSERT_TRUE(value) << name;
        EXPECT_EQ(std::wstring(value), expected) << name;
    }
}

// The manifest: Windows builds an activation context from it (a manifest that
// does not parse stops the program from starting at all), and it says what it
// must: the user's own rights, the supported Windows versions, system DPI.
TEST(Manifest, ParsesAndStatesRightsVersionsAndDpi) {
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
        ">true</dpiAware>",
    };
    for (const char* text : required) {
        EXPECT_NE(manifest.find(text), std::string::npos) << "the manifest should hold " << text;
    }
}

}  // namespace
