// Leaks proved by exhaustion. Wine's GetGuiResources is a stub, so counting
// GDI and USER objects proves nothing there; running out of them does. The
// soak fills each handle table until Wine refuses, gives back a margin, and
// runs more switch cycles than the margin holds (enable, disable, a failed
// enable with its message box, a repaint with the banner): a cycle that leaked
// even one object would use the margin up, after which the window could no
// longer paint its banner nor open a message box, and the margin could not be
// taken back. Wine's tables: 65536 GDI handles per process
// (GDI_MAX_HANDLE_COUNT in include/ntgdi.h) and 32767 USER handles per
// session (FIRST_USER_HANDLE 0x0020 to LAST_USER_HANDLE 0xffef, two apart, in
// server/user.c); this suite runs alone, as it fills the latter for everyone.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <vector>

#include "platform/handles.h"
#include "tests/support/expected.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/scratch_key.h"
#include "window/control_ids.h"
#include "window/settings_dialog.h"

using namespace support;

namespace {

constexpr size_t kMargin = 400;  // free slots left in each table
constexpr int kCycles = 500;     // more than the margin

// Takes every slot of a handle table that can be had, then frees `margin`.
class FilledTable {
public:
    FilledTable(std::function<HANDLE()> make, std::function<void(HANDLE)> destroy)
        : make_(std::move(make)), destroy_(std::move(destroy)) {
        while (HANDLE h = make_()) {
            held_.push_back(h);
        }
        total_ = held_.size();
        GiveBack(kMargin);
    }
    ~FilledTable() { GiveBack(held_.size()); }
    FilledTable(const FilledTable&) = delete;
    FilledTable& operator=(const FilledTable&) = delete;

    size_t taken() const { return total_; }  // the slots that were free at the start

    // How many of `count` slots can be taken again, freed again at once.
    size_t Retake(size_t count) {
        std::vector<HANDLE> got;
        for (HANDLE h; got.size() < count && (h = make_());) {
            got.push_back(h);
        }
        for (HANDLE h : got) {
            destroy_(h);
        }
        return got.size();
    }

private:
    void GiveBack(size_t count) {
        for (; count > 0 && !held_.empty(); --count) {
            destroy_(held_.back());
            held_.pop_back();
        }
    }
    std::function<HANDLE()> make_;
    std::function<void(HANDLE)> destroy_;
    std::vector<HANDLE> held_;
    size_t total_ = 0;
};

// Answers the next message box of this thread from inside its own message loop.
bool boxSeen = false;
BOOL CALLBACK AnswerIfBox(HWND window, LPARAM) {
    wchar_t name[16] = L"";
    GetClassNameW(window, name, 16);
    if (IsWindowVisible(window) && std::wstring(name) == L"#32770" && GetWindow(window, GW_OWNER) &&
        GetDlgItem(window, IDOK)) {
        boxSeen = true;
        PostMessageW(window, WM_COMMAND, IDOK, 0);
    }
    return TRUE;
}
void CALLBACK AnswerBox(HWND, UINT, UINT_PTR, DWORD) {
    EnumThreadWindows(GetCurrentThreadId(), AnswerIfBox, 0);
}

// The banner's top-left pixel as the screen shows it: the gradient's pale cyan.
bool BannerPainted(HWND picture) {
    RedrawWindow(GetParent(picture), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    POINT corner{0, 0};
    ClientToScreen(picture, &corner);
    const platform::WindowDC screen(GetDC(nullptr), {nullptr});
    const COLORREF seen = GetPixel(screen.get(), corner.x, corner.y);
    return GetRValue(seen) > 180 && GetGValue(seen) > 230 && GetBValue(seen) > 230;
}

}  // namespace

TEST(Soak, SwitchCyclesLeakNoGdiOrUserObject) {
    ScratchFolder startup{L"启动"};
    ValueOverride startupPath{kWordOptionsKey, L"startup-path"};
    startupPath.Set(startup.path());
    const std::wstring source = TestExeFolder() + L"\\quorlen.dot";
    const std::wstring aside = source + L".aside";
    const std::string templateBytes = SampleTemplate(11, 60000);
    WriteBytes(source, templateBytes);
    RemoveTree(aside);

    window::SettingsDialog window;
    ASSERT_TRUE(window.Create());
    window.Show();
    HWND picture = GetDlgItem(window.hwnd(), window::id::Picture1);
    // A press, and the window's messages until its answer has shown.
    const auto press = [&](void (window::SettingsDialog::*click)()) {
        (window.*click)();
        HWND up = GetDlgItem(window.hwnd(), window::id::cmdUp);
        HWND down = GetDlgItem(window.hwnd(), window::id::cmdDown);
        for (const DWORD start = GetTickCount();
             !IsWindowEnabled(up) && !IsWindowEnabled(down) && GetTickCount() - start < 5000;
             Sleep(1)) {
            for (MSG m; PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE);) {
                DispatchMessageW(&m);
            }
        }
    };
    auto cycle = [&] {
        press(&window::SettingsDialog::cmdUp_Click);
        press(&window::SettingsDialog::cmdDown_Click);
        MoveFileW(source.c_str(), aside.c_str());  // a failed enable, and its message box
        boxSeen = false;
        const UINT_PTR timer = SetTimer(nullptr, 0, USER_TIMER_MINIMUM, AnswerBox);
        press(&window::SettingsDialog::cmdUp_Click);
        KillTimer(nullptr, timer);
        MoveFileExW(aside.c_str(), source.c_str(), MOVEFILE_REPLACE_EXISTING);
        RedrawWindow(window.hwnd(), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        return boxSeen;
    };
    for (int i = 0; i < 20; ++i) {
        cycle();  // let first-use allocations settle
    }
    ASSERT_TRUE(BannerPainted(picture)) << "the banner should show before the soak";

    const DWORD start = GetTickCount();
    FilledTable gdi([] { return static_cast<HANDLE>(CreateRectRgn(0, 0, 1, 1)); },
                    [](HANDLE h) { DeleteObject(static_cast<HGDIOBJ>(h)); });
    FilledTable user([] { return static_cast<HANDLE>(CreateMenu()); },
                     [](HANDLE h) { DestroyMenu(static_cast<HMENU>(h)); });
    DWORD handlesBefore = 0, handlesAfter = 0;
    GetProcessHandleCount(GetCurrentProcess(), &handlesBefore);
    int boxes = 0;
    for (int i = 0; i < kCycles; ++i) {
        boxes += cycle();
    }
    GetProcessHandleCount(GetCurrentProcess(), &handlesAfter);
    const bool painted = BannerPainted(picture);
    const bool boxOpened = cycle();
    const size_t gdiBack = gdi.Retake(kMargin - 50), userBack = user.Retake(kMargin - 50);
    std::printf(
        "soak: %d cycles in %lu ms with %zu GDI and %zu USER slots free; a leak of one "
        "object a cycle would have exhausted Wine's tables (%zu GDI slots this process had "
        "free of 65536, %zu USER slots of 32767)\n",
        kCycles, GetTickCount() - start, kMargin, kMargin, gdi.taken(), user.taken());

    EXPECT_EQ(handlesAfter, handlesBefore) << "kernel handles after the soak";
    EXPECT_EQ(boxes, kCycles) << "every failed enable should have shown its message box";
    EXPECT_TRUE(painted) << "the window should still paint its banner";
    EXPECT_TRUE(boxOpened) << "a message box should still open";
    EXPECT_EQ(gdiBack, kMargin - 50) << "GDI slots free after the soak";
    EXPECT_EQ(userBack, kMargin - 50) << "USER slots free after the soak";
    EXPECT_FALSE(Exists(startup / L"quorlen.dot")) << "the last disable removed the copy";
    EXPECT_TRUE(ReadBytes(source) == templateBytes)
        << "the installed template must stay byte for byte as it was";
    RemoveTree(source);
}
