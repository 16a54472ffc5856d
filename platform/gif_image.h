// A small GIF decoder for the program's banner. It reads only the first image,
// and it never trusts the file: anything malformed gives nullopt instead of
// reading or writing out of bounds.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace platform {

struct DecodedImage {
    int width = 0;
    int height = 0;
    // Top-down rows, one 0x00RRGGBB value a pixel: the layout of a 32-bit
    // top-down DIB section.
    std::vector<std::uint32_t> pixels;
};

// Decodes the first image of a GIF87a or GIF89a file onto its logical screen
// (parts the image leaves uncovered get the background colour). Global and
// local palettes and interlaced rows are supported; extension blocks, and so
// transparency and animation, are skipped. Screens above 16 million pixels are
// refused.
std::optional<DecodedImage> DecodeGif(std::span<const unsigned char> bytes);

}  // namespace platform
