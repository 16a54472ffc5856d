// Drives a started tovrel.exe from outside, the way a user would: finds its
// window, reads what the window shows, presses buttons and answers message
// boxes. Everything goes through window messages, so it works on any copy of
// the program without hooks into it.
#pragma once

#include <windows.h>

#include <iosfwd>
#include <string>
#include <vector>

#include "tests/support/process.h"
#include "tests/support/screen.h"

namespace e2e {

// The build tree above the folder of the running test exe.
std::wstring BuildFolder();

std::string Utf8(const std::wstring& text);

// What the settings window shows a user, read off its controls.
struct Display {
    std::wstring exitCaption, upCaption, downCaption;
    std::wstring explanation, upRow, downRow;
    bool exitEnabled = false, upEnabled = false, downEnabled = false;
    bool operator==(const Display&) const = default;
};
void PrintTo(const Display& display, std::ostream* out);

// The icon a message box shows, told apart by its pixels on the screen (see
// ShownIcon in app_driver.cpp for why not by handle).
enum class BoxIcon { None, Information, Stop, Unknown };
const char* Name(BoxIcon icon);
void PrintTo(BoxIcon icon, std::ostream* out);

struct MessageBoxView {
    std::wstring title, text;
    HWND owner = nullptr;
    std::vector<int> buttonIds;  // the visible push buttons
    BoxIcon icon = BoxIcon::None;
};

// A key going down or up.
struct Key {
    WORD virtualKey;
    bool up = false;
};

// One started tovrel.exe; ended by force if still running when destroyed, so
// that no test leaves a copy behind.
class RunningApp {
public:
    RunningApp(const std::wstring& exePath, const std::wstring& workingFolder,
               int showCommand = -1);

    // Waits until a visible top-level window of this process carries `title`.
    bool WaitForWindow(const std::wstring& title, DWORD timeoutMs);
    HWND window() const { return window_; }

    HWND Control(int id) const;
    Display ReadDisplay() const;
    HWND FocusedWindow() const;  // of the window's thread, which GetFocus cannot see

    // Presses a button the way a click does; returns at once, as a message box
    // may keep the program busy.
    void Press(int id) const;

    // Types at the window as the keyboard does, every key queued before the
    // program takes the first, as when they come while it is busy.
    void Type(const std::vector<Key>& keys) const;

    // The visible dialogs of this process other than the settings window.
    std::vector<HWND> MessageBoxes() const;
    // The first of them, or null.
    HWND FindMessageBox() const;
    HWND WaitForMessageBox(DWORD timeoutMs) const;

    bool WaitForExit(DWORD timeoutMs) const;

private:
    support::Process process_;
    HWND window_ = nullptr;
};

// Reads a message box; waits up to `timeoutMs` for its icon to be painted.
MessageBoxView ReadMessageBox(HWND box, DWORD timeoutMs);
// Presses the box's only button and waits until the box is gone.
bool AnswerMessageBox(HWND box, DWORD timeoutMs);

// Polls `done` until it holds or the time is up; true when it held.
template <class Predicate>
bool WaitUntil(Predicate done, DWORD timeoutMs) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
        if (done()) {
            return true;
        }
        if (GetTickCount64() >= end) {
            return false;
        }
        Sleep(20);
    }
}

}  // namespace e2e
