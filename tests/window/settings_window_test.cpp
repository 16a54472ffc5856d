#include "window/settings_window.h"

#include <gtest/gtest.h>
#include <commctrl.h>
#include <oleacc.h>

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/later_windows.h"
#include "tests/support/test_handles.h"
#include "tests/support/expected.h"
#include "tests/support/printable.h"
#include "tests/support/screen.h"
#include "window/control_ids.h"

using namespace support;
namespace id = window::id;

namespace {

std::wstring Caption(HWND control) {
    std::wstring text(GetWindowTextLengthW(control) + 1, L'\0');
    text.resize(GetWindowTextW(control, text.data(), static_cast<int>(text.size())));
    return text;
}

// A control's rectangle in its window's client area.
RECT ClientRect(HWND control) {
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    return r;
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

class LayoutTest : public ::testing::Test {
protected:
    platform::Form form{window::SettingsFormDesign()};
};

// Every control's rectangle at 96 and at 144 DPI, worked out by hand from the
// twips table (a pixel is 1440 / DPI twips; halves round up), and the font's
// height: 10.5 points.
struct Place {
    int id;
    RECT at96, at144;
};
const Place kPlaces[] = {
    {id::lblExplain, {24, 16, 385, 49}, {36, 24, 578, 74}},
    {id::lblUp, {24, 56, 265, 89}, {36, 84, 398, 134}},
    {id::cmdDown, {296, 56, 393, 89}, {444, 84, 590, 134}},
    {id::lblDown, {24, 104, 265, 137}, {36, 156, 398, 206}},
    {id::cmdUp, {296, 104, 393, 137}, {444, 156, 590, 206}},
    {id::Picture1, {24, 192, 145, 233}, {36, 288, 218, 350}},
    {id::cmdExit, {296, 192, 393, 228}, {444, 288, 590, 342}},
};

void ExpectLaidOutAt(platform::Form& form, int dpi) {
    SCOPED_TRACE(std::to_string(dpi) + " DPI");
    for (const auto& place : kPlaces) {
        const RECT& expected = dpi == 96 ? place.at96 : place.at144;
        const RECT r = ClientRect(form.control(place.id));
        EXPECT_TRUE(EqualRect(&r, &expected))
            << "control " << place.id << " at " << r.left << "," << r.top << "-" << r.right << ","
            << r.bottom << ", expected " << expected.left << "," << expected.top << "-"
            << expected.right << "," << expected.bottom;
    }
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HGDIOBJ>(SendMessageW(form.control(id::cmdUp), WM_GETFONT, 0, 0)),
               sizeof font, &font);
    EXPECT_EQ(font.lfHeight, dpi == 96 ? -14 : -21) << "font height";
}

TEST_F(LayoutTest, ControlsStandWhereTheTwipsTablePutsThem) {
    platform::WindowDC screen(GetDC(nullptr), {nullptr});
    ASSERT_EQ(GetDeviceCaps(screen.get(), LOGPIXELSY), 96) << "layout is checked at 96 DPI";
    RECT client;
    GetClientRect(form.handle(), &client);
    EXPECT_EQ(client.right, 452);
    EXPECT_EQ(client.bottom, 242);
    ExpectLaidOutAt(form, 96);
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
    if (platform::asWindowsXp) {
        GTEST_SKIP() << "Windows XP sends no DPI change";
    }
    HWND window = form.handle();
    for (int dpi : {120, 144, 192, 96, 144, 96}) {
        SCOPED_TRACE(std::to_string(dpi) + " DPI");
        const auto oldFont =
            reinterpret_cast<HGDIOBJ>(SendMessageW(form.control(id::cmdUp), WM_GETFONT, 0, 0));
        const SIZE client{MulDiv(6780, dpi, 1440), MulDiv(3630, dpi, 1440)};
        RECT frame{0, 0, client.cx, client.cy};
        AdjustWindowRectExForDpi(&frame, GetWindowLongW(window, GWL_STYLE), FALSE,
                                 GetWindowLongW(window, GWL_EXSTYLE), dpi);
        SIZE asked{};
        EXPECT_TRUE(
            SendMessageW(window, WM_GETDPISCALEDSIZE, dpi, reinterpret_cast<LPARAM>(&asked)));
        EXPECT_EQ(asked.cx, frame.right - frame.left) << "the width asked for";
        EXPECT_EQ(asked.cy, frame.bottom - frame.top) << "the height asked for";
        RECT suggested{10, 20, 10 + asked.cx, 20 + asked.cy}, now, inside;
        SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                     reinterpret_cast<LPARAM>(&suggested));
        GetWindowRect(window, &now);
        GetClientRect(window, &inside);
        EXPECT_TRUE(now.left == 10 && now.top == 20) << "at the suggested place";
        EXPECT_NEAR(inside.right, client.cx, 1) << "client width";
        EXPECT_NEAR(inside.bottom, client.cy, 1) << "client height";
        EXPECT_EQ(IconWidth(window, ICON_SMALL), GetSystemMetricsForDpi(SM_CXSMICON, dpi));
        EXPECT_EQ(IconWidth(window, ICON_BIG), GetSystemMetricsForDpi(SM_CXICON, dpi));
        if (dpi == 96 || dpi == 144) {
            ExpectLaidOutAt(form, dpi);
        }
        EXPECT_EQ(GetObjectType(oldFont), 0u) << "the font of the old DPI is freed";
    }
}

TEST_F(LayoutTest, WindowIsAFixedDialogOutOfTheTaskBar) {
    EXPECT_EQ(Printable(Caption(form.handle())), Printable(L"Quorlen设置"));
    const LONG style = GetWindowLongW(form.handle(), GWL_STYLE);
    const LONG exStyle = GetWindowLongW(form.handle(), GWL_EXSTYLE);
    EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX))
        << "fixed size, no minimise or maximise box";
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_TRUE(exStyle & WS_EX_DLGMODALFRAME);
    EXPECT_FALSE(exStyle & WS_EX_APPWINDOW);
    EXPECT_NE(GetWindow(form.handle(), GW_OWNER), nullptr)
        << "an owned window, kept out of the task bar";
    EXPECT_FALSE(IsWindowVisible(form.handle())) << "hidden until the state is shown";
    EXPECT_NE(SendMessageW(form.handle(), WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_NE(SendMessageW(form.handle(), WM_GETICON, ICON_SMALL, 0), 0);
}

// Version 6 of the common controls draws the buttons in the user's visual
// style; only its buttons know BCM_GETIDEALSIZE.
TEST_F(LayoutTest, ButtonsAreThemedControls) {
    SIZE ideal{};
    EXPECT_TRUE(SendMessageW(form.control(id::cmdUp), BCM_GETIDEALSIZE, 0,
                             reinterpret_cast<LPARAM>(&ideal)))
        << "the manifest's common controls 6.0 should make the buttons";
}

TEST_F(LayoutTest, TextControlsUseSongTi) {
    for (int control :
         {id::lblExplain, id::lblUp, id::lblDown, id::cmdUp, id::cmdDown, id::cmdExit}) {
        LOGFONTW font{};
        HGDIOBJ handle =
            reinterpret_cast<HGDIOBJ>(SendMessageW(form.control(control), WM_GETFONT, 0, 0));
        ASSERT_TRUE(handle && GetObjectW(handle, sizeof font, &font)) << "control " << control;
        EXPECT_EQ(Printable(font.lfFaceName), Printable(L"宋体")) << "control " << control;
        EXPECT_EQ(font.lfHeight, -14) << "10.5 points at 96 DPI, control " << control;
        EXPECT_EQ(font.lfWeight, FW_NORMAL) << "control " << control;
        EXPECT_EQ(font.lfCharSet, GB2312_CHARSET) << "control " << control;
        EXPECT_FALSE(font.lfItalic || font.lfUnderline || font.lfStrikeOut)
            << "control " << control;
    }
}

// Every text on the screen in its colour, in a dark scheme with high contrast
// off and on. Wine 8 refuses SPI_SETHIGHCONTRAST and always reports it off, so
// the test answers for the system; the window asks again whenever it paints a
// label.
TEST_F(LayoutTest, EveryLabelReadsInADarkScheme) {
    const DarkScheme dark;
    form.SetCaption(id::lblExplain, kExplanation);
    form.SetCaption(id::lblUp, kOnRow);
    form.SetCaption(id::lblDown, kOffRow);
    form.ShowCentred();
    const COLORREF text = RGB(255, 255, 255), highlight = GetSysColor(COLOR_HIGHLIGHT);
    const struct {
        bool highContrast;
        COLORREF up, down;
    } cases[] = {
        {false, highlight, RGB(192, 0, 0)},
        {true, text, text},
        {false, highlight, RGB(192, 0, 0)},
    };
    const auto saved = platform::HighContrastOn;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.highContrast ? "high contrast on" : "high contrast off");
        platform::HighContrastOn = c.highContrast ? +[] { return true; } : +[] { return false; };
        RedrawWindow(form.handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        SendMessageW(form.handle(), WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0);
        RECT dirty{};
        EXPECT_TRUE(GetUpdateRect(form.control(id::lblUp), &dirty, FALSE))
            << "the switch repaints the labels";
        RedrawWindow(form.handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        for (const auto& [label, colour] :
             {std::pair{id::lblExplain, text}, {id::lblUp, c.up}, {id::lblDown, c.down}}) {
            EXPECT_GT(PixelsIn(form.control(label), colour), 100u)
                << "text pixels of control " << label;
        }
    }
    platform::HighContrastOn = saved;
}

TEST_F(LayoutTest, CaptionsBeforeLoading) {
    struct Case {
        int id;
        const wchar_t* caption;
    } cases[] = {{id::lblExplain, L"说明"}, {id::lblUp, L""},        {id::lblDown, L""},
                 {id::cmdUp, L"启 用"},     {id::cmdDown, L"停 用"}, {id::cmdExit, L"退 出"}};
    for (const auto& c : cases) {
        EXPECT_EQ(Printable(Caption(form.control(c.id))), Printable(c.caption))
            << "control " << c.id;
    }
}

// The wrap Windows shows in SimSun (14 px a Chinese character, 7 an ASCII one).
TEST_F(LayoutTest, TextsWrapAsInSimSun) {
    EXPECT_EQ(LinesIn(form.control(id::lblExplain), kExplanation), 2)
        << "the explanation breaks at its carriage return, each sentence on one line";
    EXPECT_EQ(LinesIn(form.control(id::lblUp), kOnRow), 2)
        << "the enabled text wraps onto a second line";
    const std::wstring firstLine = L"Quorlen已停用。“Quorlen”菜单不会";
    EXPECT_EQ(LinesIn(form.control(id::lblDown), firstLine), 1)
        << "the disabled text's first line runs to 菜单不会";
    EXPECT_EQ(LinesIn(form.control(id::lblDown), firstLine + L"出"), 2) << "and breaks after it";
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
    form.ShowCentred();
    EXPECT_EQ(GetFocus(), form.control(id::cmdExit)) << "focus starts on the exit button";
    HWND order[] = {form.control(id::cmdExit), form.control(id::cmdUp), form.control(id::cmdDown),
                    form.control(id::cmdExit)};
    for (size_t i = 0; i + 1 < std::size(order); ++i) {
        EXPECT_EQ(GetNextDlgTabItem(form.handle(), order[i], FALSE), order[i + 1])
            << "tab step " << i;
    }
    form.SetEnabled(id::cmdUp, false);
    EXPECT_EQ(GetNextDlgTabItem(form.handle(), form.control(id::cmdExit), FALSE),
              form.control(id::cmdDown))
        << "a disabled button is skipped";

    form.SetEnabled(id::cmdUp, true);
    SetFocus(form.control(id::cmdUp));
    form.SetEnabled(id::cmdUp, false);
    EXPECT_EQ(GetFocus(), form.control(id::cmdDown))
        << "disabling the focused button hands the focus on";
}

TEST(Keyboard, EnterPressesTheFocusedButtonAndEscNothing) {
    std::vector<int> pressed;
    platform::Form form{window::SettingsFormDesign()};
    for (int button : {id::cmdExit, id::cmdUp, id::cmdDown}) {
        form.OnClick(button, [&pressed, button] { pressed.push_back(button); });
    }
    form.ShowCentred();
    auto key = [&](WPARAM virtualKey) {
        MSG message{GetFocus(), WM_KEYDOWN, virtualKey, 0, 0, {}};
        EXPECT_TRUE(IsDialogMessageW(form.handle(), &message))
            << "the dialog takes key " << virtualKey;
    };
    key(VK_RETURN);
    key(VK_TAB);
    key(VK_RETURN);
    key(VK_ESCAPE);
    EXPECT_EQ(pressed, (std::vector<int>{id::cmdExit, id::cmdUp}))
        << "Enter presses the focused button, Tab moves on, Esc presses nothing";
}

// An exception that no step caught ends the program with a failure, rather
// than unwind through Windows' own code, which may not survive it.
TEST(Boundary, AnExceptionInAHandlerEndsTheProgram) {
    EXPECT_EXIT(
        {
            platform::Form form{window::SettingsFormDesign()};
            form.OnClick(id::cmdExit, [] { throw std::runtime_error("no step caught this"); });
            SendMessageW(form.handle(), WM_COMMAND, MAKEWPARAM(id::cmdExit, BN_CLICKED),
                         reinterpret_cast<LPARAM>(form.control(id::cmdExit)));
        },
        testing::ExitedWithCode(1), "");
}

// At the window's WM_DESTROY: whether its font is still there, and a press.
HWND going = nullptr;
bool fontThere = false;
LRESULT CALLBACK WhileGoing(int code, WPARAM wParam, LPARAM lParam) {
    const auto& call = *reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && call.message == WM_DESTROY && call.hwnd == going) {
        HWND button = GetDlgItem(going, id::cmdUp);
        fontThere =
            GetObjectType(reinterpret_cast<HGDIOBJ>(SendMessageW(button, WM_GETFONT, 0, 0))) ==
            OBJ_FONT;
        SendMessageW(going, WM_COMMAND, MAKEWPARAM(id::cmdUp, BN_CLICKED),
                     reinterpret_cast<LPARAM>(button));
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST(Lifetime, WhatTheWindowUsesOutlivesIt) {
    bool pressed = false;
    {
        const platform::HookHandle hook(
            SetWindowsHookExW(WH_CALLWNDPROC, WhileGoing, nullptr, GetCurrentThreadId()));
        platform::Form form{window::SettingsFormDesign()};
        form.OnClick(id::cmdUp, [&] { pressed = true; });
        going = form.handle();
    }
    EXPECT_TRUE(fontThere) << "the font should still be there when the window is destroyed";
    EXPECT_FALSE(pressed) << "no handler should run while the window is destroyed";
}

TEST_F(LayoutTest, ShownCentredOnTheScreen) {
    form.ShowCentred();
    RECT r;
    GetWindowRect(form.handle(), &r);
    EXPECT_LE(std::abs((r.left + r.right) / 2 - GetSystemMetrics(SM_CXSCREEN) / 2), 1);
    EXPECT_LE(std::abs((r.top + r.bottom) / 2 - GetSystemMetrics(SM_CYSCREEN) / 2), 1);
    EXPECT_TRUE(IsWindowVisible(form.handle()));
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
TEST_F(LayoutTest, ScreenReadersHearTheNewState) {
    const HWINEVENTHOOK hook = SetWinEventHook(
        EVENT_OBJECT_LIVEREGIONCHANGED, EVENT_OBJECT_LIVEREGIONCHANGED, nullptr, NoteAnnounced,
        GetCurrentProcessId(), GetCurrentThreadId(), WINEVENT_OUTOFCONTEXT);
    auto announcedFor = [&](int id, const std::wstring& text) {
        announced.clear();
        form.SetCaption(id, text);
        for (MSG message; PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);) {
            DispatchMessageW(&message);
        }
        return announced;
    };
    const std::vector<HWND> none;
    EXPECT_EQ(announcedFor(id::lblDown, kOffRow), none) << "nothing read out while hidden";
    form.ShowCentred();
    EXPECT_EQ(announcedFor(id::lblUp, kOnRow), std::vector{form.control(id::lblUp)})
        << "the new state read out";
    EXPECT_EQ(announcedFor(id::lblUp, kOnRow), none) << "the same state again is not";
    EXPECT_EQ(announcedFor(id::lblDown, L""), none) << "an emptied status line is not";
    EXPECT_EQ(announcedFor(id::lblExplain, kExplanation), none) << "nor the explanation";
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
    for (const auto& [control, expected] : names) {
        IAccessible* accessible = nullptr;
        ASSERT_EQ(
            AccessibleObjectFromWindow(form.control(control), OBJID_CLIENT, __uuidof(IAccessible),
                                       reinterpret_cast<void**>(&accessible)),
            S_OK)
            << "control " << control;
        VARIANT self{};
        self.vt = VT_I4;
        self.lVal = CHILDID_SELF;
        BSTR name = nullptr;
        accessible->get_accName(self, &name);
        EXPECT_EQ(Printable(name ? name : L""), Printable(expected)) << "control " << control;
        SysFreeString(name);
        accessible->Release();
    }
    CoUninitialize();
}
