// The decoder against GIFs built here byte by byte: the layouts the banner does
// not use (GIF89a, extensions, local palettes, interlacing, small frames) and
// malformed files, which must be refused without harm.
#include "platform/gif_image.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;
using Codes = std::vector<std::pair<unsigned, int>>;  // each code with its width

constexpr std::uint32_t K = 0x000000, R = 0xFF0000, G = 0x00FF00, B = 0x0000FF;

Bytes PackCodes(const Codes& codes) {
    Bytes out;
    std::uint32_t buffer = 0;
    int count = 0;
    for (auto [code, width] : codes) {
        buffer |= code << count;
        for (count += width; count >= 8; count -= 8) {
            out.push_back(buffer & 0xFF);
            buffer >>= 8;
        }
    }
    out.push_back(buffer & 0xFF);
    return out;
}

// Literals only, with a clear code before the table would widen the codes.
Codes PlainCodes(const std::vector<unsigned>& indices, int minCodeSize) {
    const unsigned clear = 1u << minCodeSize;
    Codes codes;
    for (std::size_t i = 0; i < indices.size(); ++i) {
        if (i % (clear - 2) == 0) {
            codes.push_back({clear, minCodeSize + 1});
        }
        codes.push_back({indices[i], minCodeSize + 1});
    }
    codes.push_back({clear + 1, minCodeSize + 1});
    return codes;
}

struct GifLayout {
    std::string signature = "GIF87a";
    unsigned screenWidth = 3, screenHeight = 2;
    std::vector<std::uint32_t> globalPalette = {K, R, G, B};  // both palettes: 4 colours
    std::vector<std::uint32_t> localPalette{};
    bool extensions = false;
    unsigned left = 0, top = 0, width = 3, height = 2;
    bool interlaced = false;
    int minCodeSize = 2;
    std::vector<unsigned> indices = {0, 1, 2, 3, 2, 1};
    Codes codes{};  // replaces PlainCodes(indices) when set; clear is 4, end 5
};

Bytes MakeGif(const GifLayout& l) {
    Bytes gif(l.signature.begin(), l.signature.end());
    auto word = [&](unsigned value) {
        gif.insert(gif.end(),
                   {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8)});
    };
    auto palette = [&](const std::vector<std::uint32_t>& colours) {
        for (auto c : colours) {
            gif.insert(gif.end(),
                       {static_cast<unsigned char>(c >> 16), static_cast<unsigned char>(c >> 8),
                        static_cast<unsigned char>(c)});
        }
    };
    word(l.screenWidth);
    word(l.screenHeight);
    gif.insert(gif.end(), {static_cast<unsigned char>(l.globalPalette.empty() ? 0 : 0x81), 0, 0});
    palette(l.globalPalette);
    if (l.extensions) {
        // A graphic control block and a comment, as GIF89a writers add them.
        gif.insert(gif.end(), {0x21, 0xF9, 4, 0x01, 0, 0, 0, 0, 0x21, 0xFE, 3, 'h', 'i', '!', 0});
    }
    gif.push_back(0x2C);
    for (unsigned value : {l.left, l.top, l.width, l.height}) {
        word(value);
    }
    gif.push_back((l.localPalette.empty() ? 0 : 0x81) | (l.interlaced ? 0x40 : 0));
    palette(l.localPalette);
    gif.push_back(static_cast<unsigned char>(l.minCodeSize));
    const Bytes lzw = PackCodes(l.codes.empty() ? PlainCodes(l.indices, l.minCodeSize) : l.codes);
    // Short sub-blocks, so that the data spans several.
    for (std::size_t start = 0; start < lzw.size(); start += 5) {
        const std::size_t length = std::min<std::size_t>(5, lzw.size() - start);
        gif.push_back(static_cast<unsigned char>(length));
        gif.insert(gif.end(), lzw.begin() + start, lzw.begin() + start + length);
    }
    gif.insert(gif.end(), {0, 0x3B});
    return gif;
}

struct GoodCase {
    const char* name;
    GifLayout layout;
    std::vector<std::uint32_t> pixels;
};

class GoodGif : public testing::TestWithParam<GoodCase> {};

TEST_P(GoodGif, DecodesEveryPixel) {
    const auto& c = GetParam();
    auto image = platform::DecodeGif(MakeGif(c.layout));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, static_cast<int>(c.layout.screenWidth));
    EXPECT_EQ(image->height, static_cast<int>(c.layout.screenHeight));
    EXPECT_EQ(image->pixels, c.pixels);
}

const GifLayout kEverything = {
    .signature = "GIF89a", .localPalette = {1, 2, 3, 4}, .extensions = true, .interlaced = true};

INSTANTIATE_TEST_SUITE_P(
    Layouts, GoodGif,
    testing::Values(GoodCase{"Gif87aGlobalPalette", {}, {K, R, G, B, G, R}},
                    GoodCase{
                        "Gif89aLocalPalette",
                        {.signature = "GIF89a", .localPalette = {1, 2, 3, 4}, .extensions = true},
                        {1, 2, 3, 4, 3, 2}},
                    // Stored as rows 0 8 | 4 | 2 6 | 1 3 5 7 9.
                    GoodCase{"Interlaced",
                             {.screenWidth = 1,
                              .screenHeight = 10,
                              .width = 1,
                              .height = 10,
                              .interlaced = true,
                              .indices = {0, 0, 1, 2, 2, 3, 3, 3, 3, 3}},
                             {K, B, G, B, R, B, G, B, K, B}},
                    // What the frame leaves uncovered gets the background colour, entry 0.
                    GoodCase{"FrameInsideScreen",
                             {.screenWidth = 4,
                              .screenHeight = 3,
                              .left = 1,
                              .top = 1,
                              .width = 2,
                              .height = 2,
                              .indices = {1, 2, 3, 1}},
                             {K, K, K, K, K, R, G, K, K, B, R, K}},
                    // 0 1 "0 1" "0 1": at 8 entries the table needs 4-bit codes.
                    GoodCase{"CodesWiden",
                             {.codes = {{4, 3}, {0, 3}, {1, 3}, {6, 3}, {6, 4}, {5, 4}}},
                             {K, R, K, R, K, R}},
                    // 0 "0 0" "0 0 0": each string arrives in the step that defines it.
                    GoodCase{"CodeDefinedByItsOwnUse",
                             {.codes = {{4, 3}, {0, 3}, {6, 3}, {7, 3}, {5, 4}}},
                             {K, K, K, K, K, K}}),
    [](const auto& info) { return std::string(info.param.name); });

struct BadCase {
    const char* name;
    Bytes gif;
};

class BadGif : public testing::TestWithParam<BadCase> {};

TEST_P(BadGif, IsRefused) {
    EXPECT_FALSE(platform::DecodeGif(GetParam().gif));
}

Bytes WithByte(std::size_t offset, unsigned char value) {
    Bytes gif = MakeGif({});
    gif.at(offset) = value;
    return gif;
}

constexpr std::size_t kFirstBlock = 13 + 12;  // after header and global palette
constexpr std::size_t kCodeSize = kFirstBlock + 10;

INSTANTIATE_TEST_SUITE_P(
    Malformed, BadGif,
    testing::Values(
        BadCase{"Empty", {}}, BadCase{"NotAGif", MakeGif({.signature = "JFIF00"})},
        BadCase{"UnknownVersion", MakeGif({.signature = "GIF88a"})},
        BadCase{"ZeroWidth", MakeGif({.screenWidth = 0})},
        BadCase{"ZeroHeight", MakeGif({.screenHeight = 0})},
        BadCase{"HugeScreen", MakeGif({.screenWidth = 65535,
                                       .screenHeight = 65535,
                                       .width = 65535,
                                       .height = 65535})},
        BadCase{"FrameWiderThanScreen", MakeGif({.width = 4})},
        BadCase{"FrameBelowScreen", MakeGif({.top = 65535})},
        BadCase{"EmptyFrame", MakeGif({.width = 0})},
        BadCase{"NoPalette", MakeGif({.globalPalette = {}})},
        // 4 colours, but 3-bit codes let a pixel name colour 4.
        BadCase{"IndexBeyondPalette", MakeGif({.minCodeSize = 3, .indices = {0, 1, 4, 3, 2, 1}})},
        BadCase{"CodeSizeTooSmall", WithByte(kCodeSize, 1)},
        BadCase{"CodeSizeTooLarge", WithByte(kCodeSize, 12)},
        BadCase{"TrailerBeforeImage", WithByte(kFirstBlock, 0x3B)},
        BadCase{"UnknownBlock", WithByte(kFirstBlock, 0x2D)},
        BadCase{"StartsWithTableCode", MakeGif({.codes = {{4, 3}, {6, 3}, {0, 3}, {5, 3}}})},
        BadCase{"CodeBeyondTable", MakeGif({.codes = {{4, 3}, {0, 3}, {7, 3}, {1, 3}, {5, 3}}})},
        BadCase{"EndsEarly", MakeGif({.codes = {{4, 3}, {0, 3}, {1, 3}, {5, 3}}})},
        BadCase{"ClearOnly", MakeGif({.codes = {{4, 3}}})}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(GifTruncation, EveryCutBeforeTheTrailerIsRefused) {
    for (const Bytes& gif : {MakeGif({}), MakeGif(kEverything)}) {
        ASSERT_TRUE(platform::DecodeGif(gif));
        // The image ends with its data's terminator; the trailer is not needed.
        for (std::size_t length = 0; length + 1 < gif.size(); ++length) {
            EXPECT_FALSE(platform::DecodeGif(std::span(gif).first(length))) << "cut at " << length;
        }
    }
}

}  // namespace
