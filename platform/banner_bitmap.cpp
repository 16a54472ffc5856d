#include "platform/banner_bitmap.h"

#include <cstring>
#include <span>

#include "platform/gif_image.h"
#include "resources/resource_ids.h"

namespace platform {

HBITMAP LoadBannerBitmap(HINSTANCE module) {
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(IDR_BANNER), RT_RCDATA);
    if (!found) {
        return nullptr;
    }
    // A loaded resource is part of the mapped module: nothing to free.
    HGLOBAL loaded = LoadResource(module, found);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    const DWORD size = SizeofResource(module, found);
    if (!data || size == 0) {
        return nullptr;
    }
    auto image = DecodeGif({static_cast<const unsigned char*>(data), size});
    if (!image) {
        return nullptr;
    }

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = image->width;
    info.bmiHeader.biHeight = -image->height;  // top-down, like the decoded rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    GdiBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits) {
        return nullptr;
    }
    // 32-bit DIB rows need no padding, and 0x00RRGGBB is their BGRA byte order.
    std::memcpy(bits, image->pixels.data(), image->pixels.size() * sizeof(image->pixels[0]));
    return bitmap.release();
}

}  // namespace platform
