#include "tests/e2e/app_driver.h"

#include "tests/support/scratch_folder.h"

#include "window/control_ids.h"

#include <ostream>
#include <stdexcept>

namespace e2e {

namespace {

std::wstring Text(HWND window) {
    std::wstring text(GetWindowTextLengthW(window) + 1, L'\0');
    text.resize(GetWindowTextW(window, text.data(), static_cast<int>(text.size())));
    return text;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = L"";
    GetClassNameW(window, name, 64);
    return name;
}

DWORD ProcessOf(HWND window) {
    DWORD id = 0;
    GetWindowThreadProcessId(window, &id);
    return id;
}

// EnumWindows wants a stdcall function, which a lambda does not convert to on i686.
template <class Visit>
BOOL CALLBACK VisitOne(HWND window, LPARAM visit) {
    (*reinterpret_cast<Visit*>(visit))(window);
    return TRUE;
}

template <class Visit>
void ForEachTopLevel(Visit visit) {
    EnumWindows(VisitOne<Visit>, reinterpret_cast<LPARAM>(&visit));
}

template <class Visit>
void ForEachChild(HWND parent, Visit visit) {
    EnumChildWindows(parent, VisitOne<Visit>, reinterpret_cast<LPARAM>(&visit));
}

class ScreenDC {
public:
    ScreenDC() : dc_(GetDC(nullptr)) {}
    ~ScreenDC() { ReleaseDC(nullptr, dc_); }
    ScreenDC(const ScreenDC&) = delete;
    ScreenDC& operator=(const ScreenDC&) = delete;
    HDC get() const { return dc_; }

private:
    HDC dc_;
};

// A 32-bit top-down bitmap selected into a memory DC.
class Canvas {
public:
    Canvas(int width, int height) : width_(width), height_(height) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits_, nullptr, 0);
        if (!dc_ || !bitmap_) {
            throw std::runtime_error("cannot make a bitmap to capture into");
        }
        old_ = SelectObject(dc_, bitmap_);
    }
    ~Canvas() {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC dc() const { return dc_; }
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
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    void* bits_ = nullptr;
};

Pixels RenderIcon(HICON icon, int width, int height, COLORREF background) {
    Canvas canvas(width, height);
    HBRUSH brush = CreateSolidBrush(background);
    RECT all{0, 0, width, height};
    FillRect(canvas.dc(), &all, brush);
    DeleteObject(brush);
    DrawIconEx(canvas.dc(), 0, 0, icon, width, height, 0, nullptr, DI_NORMAL);
    return canvas.Read();
}

// The share of the icon's opaque pixels (those that come out the same on black
// and on white) that `seen` shows exactly; 0 when the icon hardly has any.
double Agreement(const Pixels& seen, HICON icon) {
    const Pixels onBlack = RenderIcon(icon, seen.width, seen.height, RGB(0, 0, 0));
    const Pixels onWhite = RenderIcon(icon, seen.width, seen.height, RGB(255, 255, 255));
    size_t opaque = 0, same = 0;
    for (size_t i = 0; i < seen.rgb.size(); ++i) {
        if (onBlack.rgb[i] == onWhite.rgb[i]) {
            ++opaque;
            same += seen.rgb[i] == onBlack.rgb[i];
        }
    }
    return opaque * 8 < seen.rgb.size() ? 0.0 : static_cast<double>(same) / opaque;
}

// Which standard icon the box shows. Comparing STM_GETICON's handle with
// LoadIconW(nullptr, IDI_...) does not work under Wine: each process loads its
// own copy of the system icons, so the handles differ, and GetIconInfo refuses
// another process's icon. What the user sees is the same everywhere, though:
// the icon static paints the icon at its client size, so the driver paints the
// candidates at that size and compares the opaque pixels with the screen. The
// icon static is found by its SS_ICON style, as its ID differs (0x14 on
// Windows, 1088 in Wine).
BoxIcon ShownIcon(HWND box) {
    HWND iconStatic = nullptr;
    ForEachChild(box, [&](HWND child) {
        if (ClassOf(child) == L"Static" && IsWindowVisible(child) &&
            (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
            iconStatic = child;
        }
    });
    if (!iconStatic) {
        return BoxIcon::None;
    }
    RECT area;
    GetClientRect(iconStatic, &area);
    MapWindowPoints(iconStatic, nullptr, reinterpret_cast<POINT*>(&area), 2);
    const Pixels seen = CaptureScreen(area);
    if (seen.rgb.empty()) {
        return BoxIcon::Unknown;
    }
    constexpr double kSame = 0.97;
    if (Agreement(seen, LoadIconW(nullptr, IDI_INFORMATION)) >= kSame) {
        return BoxIcon::Information;
    }
    if (Agreement(seen, LoadIconW(nullptr, IDI_HAND)) >= kSame) {
        return BoxIcon::Stop;
    }
    return BoxIcon::Unknown;
}

std::vector<int> VisibleButtons(HWND box) {
    std::vector<int> ids;
    ForEachChild(box, [&](HWND child) {
        if (ClassOf(child) == L"Button" && IsWindowVisible(child)) {
            ids.push_back(GetDlgCtrlID(child));
        }
    });
    return ids;
}

}  // namespace

std::wstring BuildFolder() {
    const std::wstring bin = testing_support::TestExeFolder();
    return bin.substr(0, bin.find_last_of(L'\\'));
}

std::string Utf8(const std::wstring& text) {
    std::string bytes(text.size() * 3, '\0');
    bytes.resize(WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                     bytes.data(), static_cast<int>(bytes.size()), nullptr,
                                     nullptr));
    return bytes;
}

KernelHandle::~KernelHandle() {
    reset(nullptr);
}

void KernelHandle::reset(HANDLE handle) noexcept {
    if (handle_ && handle_ != INVALID_HANDLE_VALUE) {
        CloseHandle(handle_);
    }
    handle_ = handle;
}

void PrintTo(const Display& display, std::ostream* out) {
    auto row = [&](const char* name, const std::wstring& text) {
        *out << "\n  " << name << ": \"" << Utf8(text) << "\"";
    };
    row("exit", display.exitCaption);
    row("enable", display.upCaption);
    row("disable", display.downCaption);
    row("explanation", display.explanation);
    row("enabled row", display.upRow);
    row("disabled row", display.downRow);
    *out << "\n  buttons enabled: exit=" << display.exitEnabled << " enable=" << display.upEnabled
         << " disable=" << display.downEnabled;
}

const char* Name(BoxIcon icon) {
    switch (icon) {
        case BoxIcon::None:
            return "no icon";
        case BoxIcon::Information:
            return "information icon";
        case BoxIcon::Stop:
            return "stop icon";
        case BoxIcon::Unknown:
            break;
    }
    return "an icon that is neither information nor stop";
}

void PrintTo(BoxIcon icon, std::ostream* out) {
    *out << Name(icon);
}

RunningApp::RunningApp(const std::wstring& exePath, const std::wstring& workingFolder) {
    std::wstring command = L"\"" + exePath + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(exePath.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        workingFolder.c_str(), &startup, &started)) {
        throw std::runtime_error("cannot start " + Utf8(exePath) + ": error " +
                                 std::to_string(GetLastError()));
    }
    process_.reset(started.hProcess);
    thread_.reset(started.hThread);
    processId_ = started.dwProcessId;
}

RunningApp::~RunningApp() {
    if (Running()) {
        TerminateProcess(process_.get(), 1);
        WaitForSingleObject(process_.get(), 10000);
    }
}

bool RunningApp::WaitForWindow(const std::wstring& title, DWORD timeoutMs) {
    return WaitUntil(
               [&] {
                   ForEachTopLevel([&](HWND window) {
                       if (!window_ && ProcessOf(window) == processId_ && IsWindowVisible(window) &&
                           Text(window) == title) {
                           window_ = window;
                       }
                   });
                   return window_ != nullptr || !Running();
               },
               timeoutMs) &&
           window_ != nullptr;
}

HWND RunningApp::Control(int id) const {
    return GetDlgItem(window_, id);
}

Display RunningApp::ReadDisplay() const {
    using namespace tovrel_ids;
    Display display;
    display.exitCaption = Text(Control(cmdExit));
    display.upCaption = Text(Control(cmdUp));
    display.downCaption = Text(Control(cmdDown));
    display.explanation = Text(Control(lblExplain));
    display.upRow = Text(Control(lblUp));
    display.downRow = Text(Control(lblDown));
    display.exitEnabled = IsWindowEnabled(Control(cmdExit));
    display.upEnabled = IsWindowEnabled(Control(cmdUp));
    display.downEnabled = IsWindowEnabled(Control(cmdDown));
    return display;
}

HWND RunningApp::FocusedWindow() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    const DWORD thread = GetWindowThreadProcessId(window_, nullptr);
    return GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
}

void RunningApp::Press(int id) const {
    PostMessageW(Control(id), BM_CLICK, 0, 0);
}

void RunningApp::PostClose() const {
    PostMessageW(window_, WM_CLOSE, 0, 0);
}

std::vector<HWND> RunningApp::MessageBoxes() const {
    std::vector<HWND> boxes;
    ForEachTopLevel([&](HWND window) {
        if (window != window_ && ProcessOf(window) == processId_ && IsWindowVisible(window) &&
            ClassOf(window) == L"#32770") {
            boxes.push_back(window);
        }
    });
    return boxes;
}

HWND RunningApp::FindMessageBox() const {
    const std::vector<HWND> boxes = MessageBoxes();
    return boxes.empty() ? nullptr : boxes.front();
}

HWND RunningApp::WaitForMessageBox(DWORD timeoutMs) const {
    HWND box = nullptr;
    WaitUntil([&] { return (box = FindMessageBox()) != nullptr || !Running(); }, timeoutMs);
    return box;
}

bool RunningApp::WaitForExit(DWORD timeoutMs) const {
    return WaitForSingleObject(process_.get(), timeoutMs) == WAIT_OBJECT_0;
}

bool RunningApp::Running() const {
    return WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT;
}

MessageBoxView ReadMessageBox(HWND box, DWORD timeoutMs) {
    MessageBoxView view;
    view.title = Text(box);
    view.text = Text(GetDlgItem(box, 0xFFFF));
    view.owner = GetWindow(box, GW_OWNER);
    view.buttonIds = VisibleButtons(box);
    // A box may be on the screen a moment before its icon is painted.
    WaitUntil(
        [&] {
            view.icon = ShownIcon(box);
            return view.icon == BoxIcon::Information || view.icon == BoxIcon::Stop;
        },
        timeoutMs);
    return view;
}

bool AnswerMessageBox(HWND box, DWORD timeoutMs) {
    const std::vector<int> buttons = VisibleButtons(box);
    if (buttons.size() != 1) {
        return false;
    }
    PostMessageW(GetDlgItem(box, buttons.front()), BM_CLICK, 0, 0);
    return WaitUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); }, timeoutMs);
}

Pixels CaptureScreen(const RECT& area) {
    const int width = area.right - area.left, height = area.bottom - area.top;
    if (width <= 0 || height <= 0) {
        return {};
    }
    Canvas canvas(width, height);
    ScreenDC screen;
    if (!BitBlt(canvas.dc(), 0, 0, width, height, screen.get(), area.left, area.top, SRCCOPY)) {
        return {};
    }
    return canvas.Read();
}

bool SaveBmp(const Pixels& pixels, const std::wstring& path) {
    if (pixels.rgb.empty()) {
        return false;
    }
    CreateDirectoryW(path.substr(0, path.find_last_of(L'\\')).c_str(), nullptr);
    const DWORD stride = (pixels.width * 3 + 3) & ~3u;
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = pixels.width;
    info.biHeight = pixels.height;  // bottom-up, as most readers expect
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    info.biSizeImage = stride * pixels.height;
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + info.biSizeImage;

    std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
    for (int y = pixels.height - 1; y >= 0; --y) {
        std::string row(stride, '\0');
        for (int x = 0; x < pixels.width; ++x) {
            const std::uint32_t pixel = pixels.rgb[y * pixels.width + x];
            row[x * 3] = static_cast<char>(pixel & 0xFF);
            row[x * 3 + 1] = static_cast<char>((pixel >> 8) & 0xFF);
            row[x * 3 + 2] = static_cast<char>((pixel >> 16) & 0xFF);
        }
        bytes += row;
    }
    KernelHandle out(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (out.get() == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    return WriteFile(out.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                     nullptr) &&
           written == bytes.size();
}

}  // namespace e2e
