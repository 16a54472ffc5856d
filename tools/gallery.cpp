// gallery OUT-FOLDER
// Stages tovrel.exe as a user meets it and saves the README's pictures into
// OUT-FOLDER as BMP files: the window with the add-in on and off, the two
// message boxes, and the window at 144 DPI. Exits 1 when a picture could not
// be taken.
#include <windows.h>

#include <cstdio>
#include <exception>
#include <functional>
#include <optional>

#include "tests/e2e/installation.h"
#include "tests/support/expected.h"
#include "window/control_ids.h"

namespace {

using namespace e2e;

constexpr DWORD kWaitMs = 20000;

// Saves what the screen shows of `window` once it has finished painting.
void Save(HWND window, const std::wstring& path) {
    Sleep(700);
    RECT area;
    GetWindowRect(window, &area);
    support::SaveBmp(support::CaptureScreen(area), path);
}

// Starts tovrel in `installation` and saves its window, or with `button` the
// message box that pressing it brings.
void Shoot(const Installation& installation, const std::wstring& path, int button = 0) {
    auto app = installation.Start();
    if (!button) {
        Save(app->window(), path);
        return;
    }
    app->Press(button);
    const HWND box = app->WaitForMessageBox(kWaitMs);
    if (!box) {
        throw std::runtime_error("the message box did not appear");
    }
    ReadMessageBox(box, kWaitMs);  // waits until its icon is painted
    Save(box, path);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        return 2;
    }
    const std::wstring out = argv[1];
    const std::pair<const wchar_t*, std::function<void(const std::wstring&)>> pictures[] = {
        {L"window-on.bmp",
         [](const std::wstring& path) {
             Installation installation;
             installation.PutCopy();
             Shoot(installation, path);
         }},
        {L"window-off.bmp", [](const std::wstring& path) { Shoot(Installation(), path); }},
        {L"message-not-enabled.bmp",
         [](const std::wstring& path) {
             Shoot(Installation(kUsual, /*withTemplate=*/false), path, window::id::cmdUp);
         }},
        {L"message-not-disabled.bmp",
         [](const std::wstring& path) {
             Installation installation;
             installation.PutCopy();
             support::HeldOpen word(installation.copy());
             Shoot(installation, path, window::id::cmdDown);
         }},
        {L"window-144dpi.bmp",
         [](const std::wstring& path) {
             const DpiSetting dpi(144);
             Shoot(Installation(), path);
         }},
    };
    int failures = 0;
    for (const auto& [name, take] : pictures) {
        try {
            take(out + L"\\" + name);
        } catch (const std::exception& error) {
            std::fprintf(stderr, "gallery: %ls: %s\n", name, error.what());
            ++failures;
        }
    }
    return failures ? 1 : 0;
}
