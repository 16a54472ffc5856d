// What the screen shows, as pixels the tests can compare, and as a BMP file a
// person can look at.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace support {

// 0x00RRGGBB values, rows top-down.
struct Pixels {
    int width = 0, height = 0;
    std::vector<std::uint32_t> rgb;
};

// An area of the screen; empty when it cannot be read.
Pixels CaptureScreen(const RECT& area);

// `icon` drawn at `width` x `height` over `background`.
Pixels RenderIcon(HICON icon, int width, int height, COLORREF background);

// Saves a 24-bit BMP, creating the folder it goes into; raises
// std::runtime_error when it cannot.
void SaveBmp(const Pixels& pixels, const std::wstring& path);

}  // namespace support
