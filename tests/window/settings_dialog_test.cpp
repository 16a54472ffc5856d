#include "window/settings_dialog.h"

#include <gtest/gtest.h>
#include <commctrl.h>
#include <oleacc.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <functional>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/later_windows.h"
#include "resources/resource_ids.h"
#include "tests/support/as_windows_xp.h"
#include "tests/support/expected.h"
#include "tests/support/import_slot.h"
#include "tests/support/printable.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/scratch_key.h"
#include "tests/support/screen.h"
#include "tests/support/test_handles.h"
#include "placement/template_switch.h"
#include "window/control_ids.h"
#include "tests/window/laid_out.h"

using namespace support;
namespace id = window::id;

namespace {

std::wstring Caption(HWND control) {
    std::wstring text(GetWindowTextLengthW(control) + 1, L'\0');
    text.resize(GetWindowTextW(control, text.data(), static_cast<int>(text.size())));
    return text;
}

// How many of a label's pixels on the screen are in `colour`.
size_t PixelsIn(HWND label, COLORREF colour) {
    RECT area;
    GetWindowRect(label, &area);
    const Pixels pixels = CaptureScreen(area);
    const std::uint32_t rgb = GetRValue(colour) << 16 | GetGValue(colour) << 8 | GetBValue(colour);
    return std::count(pixels.rgb.begin(), pixels.rgb.end(), rgb);
}

// Button face black and button text white, as in High Contrast Black, for the
// whole session; the user's colours come back when it goes.
class DarkScheme {
public:
    DarkScheme() { SetSysColors(2, kIndexes, kDark); }
    ~DarkScheme() { SetSysColors(2, kIndexes, saved_); }

private:
    static constexpr int kIndexes[2] = {COLOR_BTNFACE, COLOR_BTNTEXT};
    static constexpr COLORREF kDark[2] = {RGB(0, 0, 0), RGB(255, 255, 255)};
    COLORREF saved_[2] = {GetSysColor(COLOR_BTNFACE), GetSysColor(COLOR_BTNTEXT)};
};

// How many lines `text` takes in `label`'s font at the label's width.
int LinesIn(HWND label, const std::wstring& text) {
    RECT r;
    GetClientRect(label, &r);
    platform::WindowDC dc(GetDC(label), {label});
    const support::Selection font(dc.get(),
                                  reinterpret_cast<HGDIOBJ>(SendMessageW(label, WM_GETFONT, 0, 0)));
    TEXTMETRICW metrics;
    GetTextMetricsW(dc.get(), &metrics);
    DrawTextW(dc.get(), text.c_str(), -1, &r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    return (r.bottom - r.top) / metrics.tmHeight;
}

}  // namespace

// Word's startup folder, named by startup-path, and the template beside the
// test program, where the window finds it; the add-in on or off at the start.
struct Scene {
    ScratchFolder startup{L"启动"};
    ValueOverride startupPath{kWordOptionsKey, L"startup-path"};
    std::wstring source = TestExeFolder() + L"\\quorlen.dot";
    std::wstring copy = startup / L"quorlen.dot";

    explicit Scene(bool on) {
        startupPath.Set(startup.path() + L"\\");
        WriteBytes(source, SampleTemplate(5));
        if (on) {
            WriteBytes(copy, SampleTemplate(6));
        }
    }
    ~Scene() { RemoveTree(source); }
};

// What the window shows, read off its controls.
struct Display {
    std::wstring upRow, downRow;
    bool upEnabled, downEnabled;
    bool operator==(const Display&) const = default;
};
void PrintTo(const Display& d, std::ostream* out) {
    *out << "enabled row \"" << Printable(d.upRow) << "\", disabled row \"" << Printable(d.downRow)
         << "\", 启 用 " << (d.upEnabled ? "enabled" : "disabled") << ", 停 用 "
         << (d.downEnabled ? "enabled" : "disabled");
}
Display Shown(HWND dialog) {
    return {Caption(GetDlgItem(dialog, id::lblUp)), Caption(GetDlgItem(dialog, id::lblDown)),
            IsWindowEnabled(GetDlgItem(dialog, id::cmdUp)) != FALSE,
            IsWindowEnabled(GetDlgItem(dialog, id::cmdDown)) != FALSE};
}
Display Expected(bool on) {
    return on ? Display{kOnRow, L"", false, true} : Display{L"", kOffRow, true, false};
}

// Polls `done` until it holds or the time is up; true when it held.
template <class Done>
bool WaitUntil(Done done, DWORD ms) {
    for (const DWORD start = GetTickCount(); !done(); Sleep(10)) {
        if (GetTickCount() - start > ms) {
            return false;
        }
    }
    return true;
}

// Takes every message waiting for this thread, as the program's loop would.
void TakeMessages(HWND dialog) {
    for (MSG message; PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);) {
        if (!IsDialogMessageW(dialog, &message)) {
            DispatchMessageW(&message);
        }
    }
}

// Takes the window's messages until a press has answered: until a switch
// button is enabled again. True when one was within 5 s.
bool Settle(HWND dialog) {
    return WaitUntil(
        [&] {
            TakeMessages(dialog);
            return IsWindowEnabled(GetDlgItem(dialog, id::cmdUp)) ||
                   IsWindowEnabled(GetDlgItem(dialog, id::cmdDown));
        },
        5000);
}

class LayoutTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dialog.Create()) << "the window should be made"; }
    HWND control(int id) const { return GetDlgItem(dialog.hwnd(), id); }
    window::SettingsDialog dialog;
};

// The layout and the font at `dpi`, from the hand-made table.
void ExpectLaidOutAt(HWND dialog, int dpi, int slack = 0) {
    ExpectLaidOut(dialog, LaidOutAt(dpi), slack);
    LOGFONTW font{};
    GetObjectW(
        reinterpret_cast<HGDIOBJ>(SendMessageW(GetDlgItem(dialog, id::cmdUp), WM_GETFONT, 0, 0)),
        sizeof font, &font);
    EXPECT_EQ(font.lfHeight, LaidOutAt(dpi).fontHeight) << "font height at " << dpi << " DPI";
}

TEST_F(LayoutTest, ControlsStandWhereTheTwipsTablePutsThem) {
    platform::WindowDC screen(GetDC(nullptr), {nullptr});
    ASSERT_EQ(GetDeviceCaps(screen.get(), LOGPIXELSY), 96) << "layout is checked at 96 DPI";
    ExpectLaidOutAt(dialog.hwnd(), 96);
}

int IconWidth(HWND window, WPARAM which) {
    ICONINFO info{};
    if (!GetIconInfo(reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, which, 0)), &info)) {
        return 0;
    }
    const platform::GdiObject<HBITMAP> mask(info.hbmMask), colour(info.hbmColor);
    BITMAP bitmap{};
    GetObjectW(info.hbmMask, sizeof bitmap, &bitmap);
    return bitmap.bmWidth;
}

// Moved to a monitor at another DPI, Windows 10 1703 and later ask the window
// its size there, then send the new DPI with a rectangle of that size. Wine
// sends neither, nor changes the window's DPI or the frame it draws: the test
// sends both, and the window must measure the frame it got.
TEST_F(LayoutTest, KeepsTheTwipsSizeAtEveryDpi) {
    if (support::AsWindowsXp()) {
        GTEST_SKIP() << "Windows XP sends no DPI change";
    }
    HWND window = dialog.hwnd();
    for (int dpi : {120, 144, 192, 480, 96, 144, 96}) {
        SCOPED_TRACE(std::to_string(dpi) + " DPI");
        const auto oldFont =
            reinterpret_cast<HGDIOBJ>(SendMessageW(control(id::cmdUp), WM_GETFONT, 0, 0));
        const SIZE client = LaidOutAt(dpi).client;
        RECT frame{0, 0, client.cx, client.cy};
        AdjustWindowRectExForDpi(&frame, GetWindowLongW(window, GWL_STYLE), FALSE,
                                 GetWindowLongW(window, GWL_EXSTYLE), dpi);
        SIZE asked{};
        EXPECT_TRUE(
            SendMessageW(window, WM_GETDPISCALEDSIZE, dpi, reinterpret_cast<LPARAM>(&asked)));
        EXPECT_EQ(asked.cx, frame.right - frame.left) << "the width asked for";
        EXPECT_EQ(asked.cy, frame.bottom - frame.top) << "the height asked for";
        RECT suggested{10, 20, 10 + asked.cx, 20 + asked.cy}, now;
        SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                     reinterpret_cast<LPARAM>(&suggested));
        GetWindowRect(window, &now);
        EXPECT_TRUE(now.left == 10 && now.top == 20) << "at the suggested place";
        ExpectLaidOutAt(window, dpi, 1);
        EXPECT_EQ(IconWidth(window, ICON_SMALL), GetSystemMetricsForDpi(SM_CXSMICON, dpi));
        EXPECT_EQ(IconWidth(window, ICON_BIG), GetSystemMetricsForDpi(SM_CXICON, dpi));
        EXPECT_EQ(GetObjectType(oldFont), 0u) << "the font of the old DPI is freed";
    }
}

// The banner as the window paints it when laid out at another DPI: the one
// drawn for that DPI, at the box's top-left, unscaled (no colour but the
// gradient's 31 and the red: a stretched one blends them). At 180 DPI the
// nearest, the 192 DPI banner, would not fit its box: the 144 DPI one is drawn.
TEST_F(LayoutTest, DrawsTheBannerMadeForTheDpi) {
    const std::pair<int, SIZE> rows[] = {{96, {117, 36}},  {120, {146, 45}}, {144, {175, 54}},
                                         {180, {175, 54}}, {192, {234, 72}}, {96, {117, 36}}};
    dialog.Show();
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const std::uint32_t faceRgb = GetRValue(face) << 16 | GetGValue(face) << 8 | GetBValue(face);
    for (const auto& [dpi, drawn] : rows) {
        SCOPED_TRACE(std::to_string(dpi) + " DPI");
        RECT suggested{10, 20, 10, 20}, box;
        SendMessageW(dialog.hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                     reinterpret_cast<LPARAM>(&suggested));
        RedrawWindow(dialog.hwnd(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        GetClientRect(control(id::Picture1), &box);
        MapWindowPoints(control(id::Picture1), nullptr, reinterpret_cast<POINT*>(&box), 2);
        const Pixels seen = CaptureScreen(box);
        ASSERT_FALSE(seen.rgb.empty());
        int right = -1, bottom = -1;  // of what is drawn, from the box's top-left
        std::set<std::uint32_t> colours;
        for (int i = 0; i < seen.width * seen.height; ++i) {
            if (seen.rgb[i] != faceRgb) {
                colours.insert(seen.rgb[i]);
                right = std::max(right, i % seen.width), bottom = std::max(bottom, i / seen.width);
            }
        }
        EXPECT_EQ(right + 1, drawn.cx) << "width drawn";
        EXPECT_EQ(bottom + 1, drawn.cy) << "height drawn";
        EXPECT_LE(colours.size(), 32u) << "colours drawn";
    }
}

TEST_F(LayoutTest, WindowIsAFixedDialogOutOfTheTaskBar) {
    EXPECT_EQ(Printable(Caption(dialog.hwnd())), Printable(L"Quorlen设置"));
    const LONG style = GetWindowLongW(dialog.hwnd(), GWL_STYLE);
    const LONG exStyle = GetWindowLongW(dialog.hwnd(), GWL_EXSTYLE);
    EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX))
        << "fixed size, no minimise or maximise box";
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_TRUE(exStyle & WS_EX_DLGMODALFRAME);
    EXPECT_FALSE(exStyle & WS_EX_APPWINDOW);
    EXPECT_NE(GetWindow(dialog.hwnd(), GW_OWNER), nullptr)
        << "an owned window, kept out of the task bar";
    EXPECT_FALSE(IsWindowVisible(dialog.hwnd())) << "hidden until the state is shown";
    EXPECT_NE(SendMessageW(dialog.hwnd(), WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_NE(SendMessageW(dialog.hwnd(), WM_GETICON, ICON_SMALL, 0), 0);
}

// Version 6 of the common controls draws the buttons in the user's visual
// style; only its buttons know BCM_GETIDEALSIZE.
TEST_F(LayoutTest, ButtonsAreThemedControls) {
    SIZE ideal{};
    EXPECT_TRUE(
        SendMessageW(control(id::cmdUp), BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(&ideal)))
        << "the manifest's common controls 6.0 should make the buttons";
}

TEST_F(LayoutTest, TextControlsUseSongTi) {
    for (int text : {id::lblExplain, id::lblUp, id::lblDown, id::cmdUp, id::cmdDown, id::cmdExit}) {
        LOGFONTW font{};
        HGDIOBJ handle = reinterpret_cast<HGDIOBJ>(SendMessageW(control(text), WM_GETFONT, 0, 0));
        ASSERT_TRUE(handle && GetObjectW(handle, sizeof font, &font)) << "control " << text;
        EXPECT_EQ(Printable(font.lfFaceName), Printable(L"宋体")) << "control " << text;
        EXPECT_EQ(font.lfHeight, -14) << "10.5 points at 96 DPI, control " << text;
        EXPECT_EQ(font.lfWeight, FW_NORMAL) << "control " << text;
        EXPECT_EQ(font.lfCharSet, GB2312_CHARSET) << "control " << text;
        EXPECT_FALSE(font.lfItalic || font.lfUnderline || font.lfStrikeOut) << "control " << text;
    }
}

// Every text on the screen in its colour, in a dark scheme with high contrast
// off and on. Wine 8 refuses SPI_SETHIGHCONTRAST and always reports it off, so
// the test answers SPI_GETHIGHCONTRAST in Windows' place, through this exe's
// import slot; the window asks again whenever it paints a label.
bool highContrast = false;
const ImportSwap* settingsSwap = nullptr;
BOOL WINAPI AnswerHighContrast(UINT action, UINT size, void* value, UINT winIni) {
    if (action != SPI_GETHIGHCONTRAST) {
        return settingsSwap->original<decltype(SystemParametersInfoW)>()(action, size, value,
                                                                         winIni);
    }
    auto& contrast = *static_cast<HIGHCONTRASTW*>(value);
    contrast.dwFlags = highContrast ? HCF_HIGHCONTRASTON | HCF_AVAILABLE : HCF_AVAILABLE;
    contrast.lpszDefaultScheme = nullptr;
    return TRUE;
}

TEST_F(LayoutTest, EveryLabelReadsInADarkScheme) {
    const DarkScheme dark;
    SetWindowTextW(control(id::lblUp), kOnRow.c_str());
    SetWindowTextW(control(id::lblDown), kOffRow.c_str());
    dialog.Show();
    const COLORREF text = RGB(255, 255, 255), highlight = GetSysColor(COLOR_HIGHLIGHT);
    const struct {
        bool highContrast;
        COLORREF up, down;
    } cases[] = {
        {false, highlight, RGB(192, 0, 0)},
        {true, text, text},
        {false, highlight, RGB(192, 0, 0)},
    };
    const ImportSwap swap("user32.dll", "SystemParametersInfoW",
                          reinterpret_cast<const void*>(AnswerHighContrast));
    settingsSwap = &swap;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.highContrast ? "high contrast on" : "high contrast off");
        highContrast = c.highContrast;
        RedrawWindow(dialog.hwnd(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        SendMessageW(dialog.hwnd(), WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0);
        RECT dirty{};
        EXPECT_TRUE(GetUpdateRect(control(id::lblUp), &dirty, FALSE))
            << "the switch repaints the labels";
        RedrawWindow(dialog.hwnd(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        for (const auto& [label, colour] :
             {std::pair{id::lblExplain, text}, {id::lblUp, c.up}, {id::lblDown, c.down}}) {
            EXPECT_GT(PixelsIn(control(label), colour), 100u) << "text pixels of control " << label;
        }
    }
}

INT_PTR CALLBACK NoProcedure(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

// What the window's controls read before it loads, made from the resource alone.
TEST(DialogResource, CaptionsBeforeLoading) {
    const platform::OwnedWindow designed(CreateDialogParamW(
        GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_SETTINGS), nullptr, NoProcedure, 0));
    ASSERT_TRUE(designed) << "the dialog resource should make a window";
    struct Case {
        int id;
        const wchar_t* caption;
    } cases[] = {{id::lblExplain, L"说明"}, {id::lblUp, L""},        {id::lblDown, L""},
                 {id::cmdUp, L"启 用"},     {id::cmdDown, L"停 用"}, {id::cmdExit, L"退 出"},
                 {id::Picture1, L"Quorlen"}};
    for (const auto& c : cases) {
        EXPECT_EQ(Printable(Caption(GetDlgItem(designed.get(), c.id))), Printable(c.caption))
            << "control " << c.id;
    }
    EXPECT_EQ(Printable(Caption(designed.get())), Printable(kTitle));
}

// The wrap Windows shows in SimSun (14 px a Chinese character, 7 an ASCII one).
TEST_F(LayoutTest, TextsWrapAsInSimSun) {
    EXPECT_EQ(LinesIn(control(id::lblExplain), kExplanation), 2)
        << "the explanation breaks at its carriage return, each sentence on one line";
    EXPECT_EQ(LinesIn(control(id::lblUp), kOnRow), 2)
        << "the enabled text wraps onto a second line";
    const std::wstring firstLine = L"Quorlen已停用。“Quorlen”菜单不会";
    EXPECT_EQ(LinesIn(control(id::lblDown), firstLine), 1)
        << "the disabled text's first line runs to 菜单不会";
    EXPECT_EQ(LinesIn(control(id::lblDown), firstLine + L"出"), 2) << "and breaks after it";
}

int CALLBACK NoteFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

// The prefix draws 宋体 with SimSun's metrics and has Marlett, which draws the
// title bar's close box.
TEST(Fonts, SongTiMeasuresAsSimSunAndMarlettIsThere) {
    platform::GdiObject<HFONT> songTi(CreateFontW(
        -14, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET, OUT_DEFAULT_PRECIS,
        CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"宋体"));
    support::MemoryDC dc(CreateCompatibleDC(nullptr));
    const support::Selection selected(dc.get(), songTi.get());
    for (const auto& [text, width] : {std::pair{L"用", 14}, {L"Q", 7}, {L"M", 7}, {L"i", 7}}) {
        SIZE size{};
        GetTextExtentPoint32W(dc.get(), text, 1, &size);
        EXPECT_EQ(size.cx, width) << Printable(text) << " at 14 px";
    }
    LOGFONTW wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    wcscpy(wanted.lfFaceName, L"Marlett");
    bool found = false;
    EnumFontFamiliesExW(dc.get(), &wanted, NoteFound, reinterpret_cast<LPARAM>(&found), 0);
    EXPECT_TRUE(found) << "Marlett should be installed";
}

TEST_F(LayoutTest, KeyboardStartsOnExitAndTabsThroughEnabledButtons) {
    dialog.Show();
    EXPECT_EQ(GetFocus(), control(id::cmdExit)) << "focus starts on the exit button";
    EXPECT_TRUE(SendMessageW(control(id::cmdExit), WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON)
        << "Enter presses the exit button, with no Tab before it";
    EnableWindow(control(id::cmdUp), TRUE);
    EnableWindow(control(id::cmdDown), TRUE);
    HWND order[] = {control(id::cmdExit), control(id::cmdUp), control(id::cmdDown),
                    control(id::cmdExit)};
    for (size_t i = 0; i + 1 < std::size(order); ++i) {
        EXPECT_EQ(GetNextDlgTabItem(dialog.hwnd(), order[i], FALSE), order[i + 1])
            << "tab step " << i;
    }
    EnableWindow(control(id::cmdUp), FALSE);
    EXPECT_EQ(GetNextDlgTabItem(dialog.hwnd(), control(id::cmdExit), FALSE), control(id::cmdDown))
        << "a disabled button is skipped";
}

// Enter presses the focused switch button, again and again: after each switch
// the focus is on the switch button now enabled, never on 退 出, whose Enter
// would end the program. Esc presses nothing.
TEST(Keyboard, EnterSwitchesBackAndForthAndEscPressesNothing) {
    const Scene scene(/*on=*/false);
    window::SettingsDialog dialog;
    ASSERT_TRUE(dialog.Create());
    dialog.Show();
    SendMessageW(dialog.hwnd(), WM_NEXTDLGCTL,
                 reinterpret_cast<WPARAM>(GetDlgItem(dialog.hwnd(), id::cmdUp)), TRUE);
    auto key = [&](WPARAM virtualKey) {
        MSG message{GetFocus(), WM_KEYDOWN, virtualKey, 0, 0, {}};
        EXPECT_TRUE(IsDialogMessageW(dialog.hwnd(), &message))
            << "the dialog takes key " << virtualKey;
    };
    for (int press = 1; press <= 4; ++press) {
        SCOPED_TRACE("Enter number " + std::to_string(press));
        const bool on = press % 2 == 1;
        ASSERT_NE(GetFocus(), GetDlgItem(dialog.hwnd(), id::cmdExit))
            << "Enter would end the program";
        key(VK_RETURN);
        ASSERT_TRUE(Settle(dialog.hwnd())) << "the press should answer";
        EXPECT_EQ(Shown(dialog.hwnd()), Expected(on));
        EXPECT_EQ(GetFocus(), GetDlgItem(dialog.hwnd(), on ? id::cmdDown : id::cmdUp))
            << "the focus on the switch button now enabled";
    }
    key(VK_ESCAPE);
    TakeMessages(dialog.hwnd());
    EXPECT_EQ(Shown(dialog.hwnd()), Expected(false)) << "Esc switches nothing";
    EXPECT_TRUE(IsWindowVisible(dialog.hwnd())) << "Esc closes nothing";
}

// Each press shows the state it left, by its own look: shown with the press's
// answer, before any later look could show it.
TEST(Behaviour, EachPressShowsTheNewState) {
    const struct {
        const char* what;
        bool on;
        void (window::SettingsDialog::*press)();
    } rows[] = {
        {"启 用 while off", false, &window::SettingsDialog::cmdUp_Click},
        {"停 用 while on", true, &window::SettingsDialog::cmdDown_Click},
        {"启 用 while on: the copy refreshed", true, &window::SettingsDialog::cmdUp_Click},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const Scene scene(row.on);
        window::SettingsDialog dialog;
        ASSERT_TRUE(dialog.Create());
        ASSERT_EQ(Shown(dialog.hwnd()), Expected(row.on)) << "at start";
        const bool after = row.press == &window::SettingsDialog::cmdUp_Click;
        (dialog.*row.press)();
        ASSERT_TRUE(Settle(dialog.hwnd())) << "the press should answer";
        EXPECT_EQ(Shown(dialog.hwnd()), Expected(after)) << "after the press";
        EXPECT_EQ(Exists(scene.copy), after) << "the copy on disk";
    }
}

// The file calls of the product linked into this exe, seen through its import
// slots: which handles it has open to what, and, while `held` is not set, a
// share whose server does not answer, staged by holding up every open below
// `heldBelow` (Windows may hold such a call for up to a minute; Wine fails
// it at once).
namespace calls {

std::mutex lock;
std::map<HANDLE, std::wstring> open;  // handle: the path it was opened by
std::wstring heldBelow;
HANDLE held = nullptr;  // an event; the opens wait for it, 10 s at most
std::wstring counted;   // each close of a handle opened by this path is counted
int closes = 0;

std::wstring Wide(LPCSTR ansi) {
    wchar_t wide[MAX_PATH * 2] = L"";
    MultiByteToWideChar(CP_ACP, 0, ansi, -1, wide, MAX_PATH * 2);
    return wide;
}
HANDLE Opened(HANDLE handle, const std::wstring& path) {
    if (handle != INVALID_HANDLE_VALUE && handle) {
        const std::lock_guard<std::mutex> guard(lock);
        open[handle] = path;
    }
    return handle;
}
template <class Function>
Function* Original(const char* name);

HANDLE WINAPI FileA(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                    DWORD disposition, DWORD flags, HANDLE model) {
    if (!heldBelow.empty() &&
        _wcsnicmp(Wide(path).c_str(), heldBelow.c_str(), heldBelow.size()) == 0) {
        WaitForSingleObject(held, 10000);
    }
    return Opened(Original<decltype(CreateFileA)>("CreateFileA")(path, access, share, security,
                                                                 disposition, flags, model),
                  Wide(path));
}
HANDLE WINAPI FileW(LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                    DWORD disposition, DWORD flags, HANDLE model) {
    return Opened(Original<decltype(CreateFileW)>("CreateFileW")(path, access, share, security,
                                                                 disposition, flags, model),
                  path);
}
HANDLE WINAPI FindA(LPCSTR pattern, LPWIN32_FIND_DATAA found) {
    return Opened(Original<decltype(FindFirstFileA)>("FindFirstFileA")(pattern, found),
                  Wide(pattern));
}
HANDLE WINAPI Watch(LPCWSTR folder, BOOL subtree, DWORD filter) {
    return Opened(Original<decltype(FindFirstChangeNotificationW)>("FindFirstChangeNotificationW")(
                      folder, subtree, filter),
                  folder);
}
BOOL Closed(HANDLE handle, BOOL closed) {
    const std::lock_guard<std::mutex> guard(lock);
    if (const auto found = open.find(handle); found != open.end()) {
        closes += _wcsicmp(found->second.c_str(), counted.c_str()) == 0;
        open.erase(found);
    }
    return closed;
}
BOOL WINAPI Close(HANDLE h) {
    return Closed(h, Original<decltype(CloseHandle)>("CloseHandle")(h));
}
BOOL WINAPI CloseFind(HANDLE h) {
    return Closed(h, Original<decltype(FindClose)>("FindClose")(h));
}
BOOL WINAPI CloseWatch(HANDLE h) {
    return Closed(
        h, Original<decltype(FindCloseChangeNotification)>("FindCloseChangeNotification")(h));
}

struct Slot {
    const char* name;
    const void* replacement;
};
const Slot kSlots[] = {{"CreateFileA", reinterpret_cast<const void*>(FileA)},
                       {"CreateFileW", reinterpret_cast<const void*>(FileW)},
                       {"FindFirstFileA", reinterpret_cast<const void*>(FindA)},
                       {"FindFirstChangeNotificationW", reinterpret_cast<const void*>(Watch)},
                       {"CloseHandle", reinterpret_cast<const void*>(Close)},
                       {"FindClose", reinterpret_cast<const void*>(CloseFind)},
                       {"FindCloseChangeNotification", reinterpret_cast<const void*>(CloseWatch)}};
std::vector<std::unique_ptr<ImportSwap>> swaps;

template <class Function>
Function* Original(const char* name) {
    for (size_t i = 0; i < std::size(kSlots); ++i) {
        if (std::strcmp(kSlots[i].name, name) == 0) {
            return swaps[i]->original<Function>();
        }
    }
    return nullptr;
}

// The slots redirected for as long as it lives.
struct Seen {
    Seen() {
        // A watch made and closed, so that this exe imports both functions
        // and their slots can be seen, whether or not the product calls them.
        FindCloseChangeNotification(
            FindFirstChangeNotificationW(L"C:\\", FALSE, FILE_NOTIFY_CHANGE_DIR_NAME));
        for (const Slot& slot : kSlots) {
            swaps.push_back(
                std::make_unique<ImportSwap>("kernel32.dll", slot.name, slot.replacement));
        }
    }
    ~Seen() {
        swaps.clear();
        heldBelow.clear();
        counted.clear();
        closes = 0;
    }
    // The paths of open handles that lead to `copy` or a folder on the way
    // to it.
    static std::vector<std::wstring> OnTheWayTo(const std::wstring& copy) {
        const std::lock_guard<std::mutex> guard(lock);
        std::vector<std::wstring> found;
        for (const auto& [handle, path] : open) {
            std::wstring way = path;
            while (!way.empty() && way.back() == L'\\') {
                way.pop_back();
            }
            if (!way.empty() && _wcsnicmp(copy.c_str(), way.c_str(), way.size()) == 0 &&
                (copy.size() == way.size() || copy[way.size()] == L'\\')) {
                found.push_back(path);
            }
        }
        return found;
    }
};

}  // namespace calls

// Between looks the window holds nothing open on the way to the copy: on
// Windows a handle beneath a folder keeps it from being renamed, moved or
// removed, and a volume from being ejected. Wine allows all of it, so the
// cause is checked: every handle opened is closed again once a look has
// answered.
TEST(Behaviour, NothingOnTheWayToTheCopyStaysOpenBetweenLooks) {
    const Scene scene(/*on=*/true);
    const calls::Seen seen;
    calls::counted = scene.copy;
    window::SettingsDialog dialog;
    ASSERT_TRUE(dialog.Create());
    // Each look opens the copy and closes it; the next is a second away.
    for (int look = 1; look <= 3; ++look) {
        ASSERT_TRUE(WaitUntil(
            [&] {
                TakeMessages(dialog.hwnd());
                const std::lock_guard<std::mutex> guard(calls::lock);
                return calls::closes >= look;
            },
            3000))
            << "look " << look << " should be made within 3 s, unasked";
        EXPECT_EQ(calls::Seen::OnTheWayTo(scene.copy), std::vector<std::wstring>{})
            << "handles open after look " << look;
    }
}

// A share whose server does not answer holds up only what the window shows:
// at start, and during a press, the window answers within 100 ms, and neither
// switch can be pressed until the held file call ends.
TEST(Behaviour, AShareThatDoesNotAnswerHoldsUpOnlyTheState) {
    const Scene scene(/*on=*/true);
    const platform::KernelHandle held(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    const calls::Seen seen;
    calls::held = held.get();
    calls::heldBelow = scene.startup.path();
    window::SettingsDialog dialog;
    // Asks the window from another thread, as Windows does before it calls a
    // window "Not Responding", while this one takes `step` and then the
    // window's messages. The window answers within milliseconds; a second is
    // allowed for a loaded machine, and a held call lasts ten.
    const auto answersDuring = [&](const std::function<void()>& step) {
        int asked = 0, answered = 0;
        std::atomic<bool> done = false;
        std::thread asking([&] {
            for (const DWORD start = GetTickCount(); GetTickCount() - start < 400; Sleep(20)) {
                if (HWND window = FindWindowW(L"#32770", kTitle.c_str())) {
                    DWORD_PTR result = 0;
                    ++asked;
                    answered +=
                        SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &result) != 0;
                }
            }
            done = true;
        });
        step();
        while (!done) {
            TakeMessages(dialog.hwnd());
            Sleep(5);
        }
        asking.join();
        return asked > 0 && answered == asked;
    };
    // The first look is waited for half a second at most, before the window
    // shows.
    const DWORD start = GetTickCount();
    ASSERT_TRUE(dialog.Create());
    dialog.Show();
    EXPECT_LT(GetTickCount() - start, 1000u) << "the window shows within a second";
    EXPECT_TRUE(answersDuring([] {})) << "the window answers while the first look is held";
    EXPECT_EQ(Shown(dialog.hwnd()), (Display{L"", L"", false, false}))
        << "neither state, and no switch, while the share does not answer";
    SetEvent(held.get());
    ASSERT_TRUE(Settle(dialog.hwnd()));
    EXPECT_EQ(Shown(dialog.hwnd()), Expected(true)) << "once the share answers";

    ResetEvent(held.get());
    EXPECT_TRUE(answersDuring([&] { dialog.cmdDown_Click(); }))
        << "the window answers while the press is held";
    EXPECT_EQ(Shown(dialog.hwnd()).upEnabled || Shown(dialog.hwnd()).downEnabled, false)
        << "neither switch while the press runs";
    SetEvent(held.get());
    ASSERT_TRUE(Settle(dialog.hwnd()));
    EXPECT_EQ(Shown(dialog.hwnd()), Expected(false)) << "after 停 用";
}

// Centred on the work area of the monitor it starts on (the task bar's room
// left out), wholly inside it when it fits, its title bar inside it when not.
TEST(Position, CentredInTheWorkArea) {
    const struct {
        const char* what;
        RECT work;
        SIZE size;
        POINT at;
    } rows[] = {
        {"the task bar on the left", {60, 0, 1280, 1024}, {458, 268}, {441, 378}},
        {"a monitor left of the main one", {-1280, 0, 0, 1024}, {458, 268}, {-869, 378}},
        {"taller than the work area", {0, 40, 1280, 1024}, {458, 1000}, {411, 40}},
        {"larger than the work area", {0, 0, 1280, 1024}, {2266, 1240}, {0, 0}},
    };
    for (const auto& row : rows) {
        const POINT at = window::CentredIn(row.work, row.size);
        EXPECT_TRUE(at.x == row.at.x && at.y == row.at.y)
            << row.what << ": at " << at.x << "," << at.y << ", expected " << row.at.x << ","
            << row.at.y;
    }
}

// On the monitor under the mouse pointer. Wine shows one monitor, whose work
// area is the whole screen, and keeps SPI_SETWORKAREA apart from it; on
// Windows the pointer's monitor may be any, and its work area leaves the task
// bar out.
TEST_F(LayoutTest, ShownCentredOnTheWorkAreaOfItsMonitor) {
    dialog.Show();
    POINT pointer{};
    GetCursorPos(&pointer);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    ASSERT_TRUE(GetMonitorInfoW(MonitorFromPoint(pointer, MONITOR_DEFAULTTOPRIMARY), &monitor));
    const RECT& work = monitor.rcWork;
    RECT r;
    GetWindowRect(dialog.hwnd(), &r);
    EXPECT_LE(std::abs((r.left + r.right) / 2 - (work.left + work.right) / 2), 1);
    EXPECT_LE(std::abs((r.top + r.bottom) / 2 - (work.top + work.bottom) / 2), 1);
    EXPECT_TRUE(IsWindowVisible(dialog.hwnd()));
}

std::vector<HWND> announced;
void CALLBACK NoteAnnounced(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD,
                            DWORD) {
    if (object == OBJID_CLIENT && child == CHILDID_SELF) {
        announced.push_back(window);
    }
}

// A status line that changes in view is read out. (Wine's dynamic annotation
// is a stub: that the label is marked a live region cannot be seen here.)
TEST(ScreenReaders, HearTheNewState) {
    const Scene scene(/*on=*/false);
    const HWINEVENTHOOK hook = SetWinEventHook(
        EVENT_OBJECT_LIVEREGIONCHANGED, EVENT_OBJECT_LIVEREGIONCHANGED, nullptr, NoteAnnounced,
        GetCurrentProcessId(), GetCurrentThreadId(), WINEVENT_OUTOFCONTEXT);
    window::SettingsDialog dialog;
    auto announcedDuring = [&](auto step) {
        announced.clear();
        step();
        Settle(dialog.hwnd());
        return announced;
    };
    const std::vector<HWND> none;
    EXPECT_EQ(announcedDuring([&] { ASSERT_TRUE(dialog.Create()); }), none)
        << "nothing read out while hidden";
    dialog.Show();
    HWND up = GetDlgItem(dialog.hwnd(), id::lblUp), down = GetDlgItem(dialog.hwnd(), id::lblDown);
    EXPECT_EQ(announcedDuring([&] { dialog.cmdUp_Click(); }), std::vector{up})
        << "the new state read out";
    EXPECT_EQ(announcedDuring([&] { dialog.cmdUp_Click(); }), none)
        << "the same state again is not";
    EXPECT_EQ(announcedDuring([&] { dialog.cmdDown_Click(); }), std::vector{down})
        << "the new state read out, not the emptied line";
    UnhookWinEvent(hook);
}

// What a screen reader announces for each control: the banner is named
// "Quorlen" (its window text, which it does not draw); the buttons by their
// captions, as standard controls are. The interface's id comes from the header:
// MinGW's 64-bit liboleacc.a offers IID_IAccessible as an import thunk, so the
// name could bind to machine code instead of the GUID.
TEST_F(LayoutTest, ScreenReadersNameTheBannerAndTheButtons) {
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    const std::pair<int, std::wstring> names[] = {{id::Picture1, L"Quorlen"},
                                                  {id::cmdUp, L"启 用"},
                                                  {id::cmdDown, L"停 用"},
                                                  {id::cmdExit, L"退 出"}};
    for (const auto& [named, expected] : names) {
        IAccessible* accessible = nullptr;
        ASSERT_EQ(AccessibleObjectFromWindow(control(named), OBJID_CLIENT, __uuidof(IAccessible),
                                             reinterpret_cast<void**>(&accessible)),
                  S_OK)
            << "control " << named;
        VARIANT self{};
        self.vt = VT_I4;
        self.lVal = CHILDID_SELF;
        BSTR name = nullptr;
        accessible->get_accName(self, &name);
        EXPECT_EQ(Printable(name ? name : L""), Printable(expected)) << "control " << named;
        SysFreeString(name);
        accessible->Release();
    }
    CoUninitialize();
}
