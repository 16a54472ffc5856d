// The banner the settings window shows: the GIF in the program's resources,
// turned into a bitmap GDI can draw.
#pragma once

#include <windows.h>

#include <utility>

namespace platform {

// Owns a GDI bitmap and deletes it on the way out. Deselect it from any device
// context before the owner goes: GDI will not delete a selected bitmap.
class GdiBitmap {
public:
    GdiBitmap() noexcept = default;
    explicit GdiBitmap(HBITMAP bitmap) noexcept : bitmap_(bitmap) {}
    GdiBitmap(GdiBitmap&& other) noexcept : bitmap_(std::exchange(other.bitmap_, nullptr)) {}
    GdiBitmap& operator=(GdiBitmap&& other) noexcept {
        reset(std::exchange(other.bitmap_, nullptr));
        return *this;
    }
    GdiBitmap(const GdiBitmap&) = delete;
    GdiBitmap& operator=(const GdiBitmap&) = delete;
    ~GdiBitmap() { reset(); }

    HBITMAP get() const noexcept { return bitmap_; }
    explicit operator bool() const noexcept { return bitmap_ != nullptr; }
    HBITMAP release() noexcept { return std::exchange(bitmap_, nullptr); }
    void reset(HBITMAP bitmap = nullptr) noexcept {
        if (bitmap_ && bitmap_ != bitmap) {
            DeleteObject(bitmap_);
        }
        bitmap_ = bitmap;
    }

private:
    HBITMAP bitmap_ = nullptr;
};

// The banner (RCDATA IDR_BANNER of `module`) as a 32-bit top-down DIB section
// at its natural size, or nullptr when the resource is missing or does not
// decode. The caller owns the bitmap: hold it in a GdiBitmap.
HBITMAP LoadBannerBitmap(HINSTANCE module);

}  // namespace platform
