#include "tests/support/screen.h"

#include <optional>
#include <stdexcept>

#include "tests/support/test_handles.h"
#include "tests/support/scratch_folder.h"

namespace support {

namespace {

// A 32-bit top-down bitmap selected into a memory DC.
class Canvas {
public:
    Canvas(int width, int height) : width_(width), height_(height) {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        dc_.reset(CreateCompatibleDC(nullptr));
        bitmap_.reset(CreateDIBSection(dc_.get(), &info, DIB_RGB_COLORS, &bits_, nullptr, 0));
        if (!dc_ || !bitmap_) {
            throw std::runtime_error("cannot make a bitmap to draw into");
        }
        selection_.emplace(dc_.get(), bitmap_.get());
    }

    HDC dc() const { return dc_.get(); }
    Pixels Read() const {
        GdiFlush();
        Pixels pixels{width_, height_, {}};
        const auto* bits = static_cast<const std::uint32_t*>(bits_);
        pixels.rgb.assign(bits, bits + width_ * height_);
        for (auto& pixel : pixels.rgb) {
            pixel &= 0xFFFFFF;
        }
        return pixels;
    }

private:
    int width_, height_;
    void* bits_ = nullptr;
    support::MemoryDC dc_;
    platform::GdiObject<HBITMAP> bitmap_;
    std::optional<support::Selection> selection_;  // goes first, before the bitmap
};

}  // namespace

Pixels CaptureScreen(const RECT& area) {
    const int width = area.right - area.left, height = area.bottom - area.top;
    if (width <= 0 || height <= 0) {
        return {};
    }
    Canvas canvas(width, height);
    platform::WindowDC screen(GetDC(nullptr), {nullptr});
    if (!BitBlt(canvas.dc(), 0, 0, width, height, screen.get(), area.left, area.top, SRCCOPY)) {
        return {};
    }
    return canvas.Read();
}

Pixels RenderIcon(HICON icon, int width, int height, COLORREF background) {
    Canvas canvas(width, height);
    platform::GdiObject<HBRUSH> brush(CreateSolidBrush(background));
    RECT all{0, 0, width, height};
    FillRect(canvas.dc(), &all, brush.get());
    DrawIconEx(canvas.dc(), 0, 0, icon, width, height, 0, nullptr, DI_NORMAL);
    return canvas.Read();
}

void SaveBmp(const Pixels& pixels, const std::wstring& path) {
    const DWORD stride = (pixels.width * 3 + 3) & ~3u;
    // Bottom-up rows, as most readers expect.
    const BITMAPINFOHEADER info{sizeof info,
                                pixels.width,
                                pixels.height,
                                1,
                                24,
                                BI_RGB,
                                stride * pixels.height,
                                0,
                                0,
                                0,
                                0};
    const DWORD offset = sizeof(BITMAPFILEHEADER) + sizeof info;
    const BITMAPFILEHEADER file{0x4D42, offset + info.biSizeImage, 0, 0, offset};  // "BM"
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
    for (int y = pixels.height - 1; y >= 0; --y) {
        std::string row(stride, '\0');
        for (int x = 0; x < pixels.width; ++x) {
            const std::uint32_t pixel = pixels.rgb[static_cast<size_t>(y) * pixels.width + x];
            row[x * 3] = static_cast<char>(pixel & 0xFF);
            row[x * 3 + 1] = static_cast<char>(pixel >> 8 & 0xFF);
            row[x * 3 + 2] = static_cast<char>(pixel >> 16 & 0xFF);
        }
        bytes += row;
    }
    if (const size_t folder = path.find_last_of(L"\\/"); folder != std::wstring::npos) {
        CreateDirectoryW(path.substr(0, folder).c_str(), nullptr);
    }
    WriteBytes(path, bytes);
}

}  // namespace support
