#include "tests/e2e/app_driver.h"

#include <ostream>

#include "tests/support/scratch_folder.h"
#include "window/control_ids.h"

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

// The share of the icon's opaque pixels (those that come out the same on black
// and on white) that `seen` shows exactly; 0 when the icon hardly has any.
double Agreement(const support::Pixels& seen, HICON icon) {
    const auto onBlack = support::RenderIcon(icon, seen.width, seen.height, RGB(0, 0, 0));
    const auto onWhite = support::RenderIcon(icon, seen.width, seen.height, RGB(255, 255, 255));
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
    const support::Pixels seen = support::CaptureScreen(area);
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
    const std::wstring bin = support::TestExeFolder();
    return bin.substr(0, bin.find_last_of(L'\\'));
}

std::string Utf8(const std::wstring& text) {
    std::string bytes(text.size() * 3, '\0');
    bytes.resize(WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                     bytes.data(), static_cast<int>(bytes.size()), nullptr,
                                     nullptr));
    return bytes;
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
        case BoxIcon::None: return "no icon";
        case BoxIcon::Information: return "information icon";
        case BoxIcon::Stop: return "stop icon";
        case BoxIcon::Unknown: break;
    }
    return "an icon that is neither information nor stop";
}

void PrintTo(BoxIcon icon, std::ostream* out) {
    *out << Name(icon);
}

RunningApp::RunningApp(const std::wstring& exePath, const std::wstring& workingFolder,
                       int showCommand)
    : process_(exePath, L"", workingFolder, showCommand) {}

bool RunningApp::WaitForWindow(const std::wstring& title, DWORD timeoutMs) {
    return WaitUntil(
               [&] {
                   ForEachTopLevel([&](HWND window) {
                       if (!window_ && ProcessOf(window) == process_.id() &&
                           IsWindowVisible(window) && Text(window) == title) {
                           window_ = window;
                       }
                   });
                   return window_ != nullptr || !process_.Running();
               },
               timeoutMs) &&
           window_ != nullptr;
}

HWND RunningApp::Control(int id) const {
    return GetDlgItem(window_, id);
}

Display RunningApp::ReadDisplay() const {
    using namespace window::id;
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

void RunningApp::Type(const std::vector<Key>& keys) const {
    std::vector<INPUT> inputs;
    for (const Key& key : keys) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key.virtualKey;
        input.ki.dwFlags = key.up ? KEYEVENTF_KEYUP : 0;
        inputs.push_back(input);
    }
    // Keys go to the window in front; a window that just went may hold that
    // place a moment longer.
    WaitUntil([&] { return SetForegroundWindow(window_) && GetForegroundWindow() == window_; },
              5000);
    // The window's thread held meanwhile, so that it takes none of them early.
    const platform::KernelHandle thread(
        OpenThread(THREAD_SUSPEND_RESUME, FALSE, GetWindowThreadProcessId(window_, nullptr)));
    SuspendThread(thread.get());
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    ResumeThread(thread.get());
}

std::vector<HWND> RunningApp::MessageBoxes() const {
    std::vector<HWND> boxes;
    ForEachTopLevel([&](HWND window) {
        if (window != window_ && ProcessOf(window) == process_.id() && IsWindowVisible(window) &&
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
    WaitUntil([&] { return (box = FindMessageBox()) != nullptr || !process_.Running(); },
              timeoutMs);
    return box;
}

bool RunningApp::WaitForExit(DWORD timeoutMs) const {
    return process_.WaitForExit(timeoutMs);
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

}  // namespace e2e
