#include "window/settings_window.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "placement/template_switch.h"
#include "tests/support/printable.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/scratch_key.h"
#include "window/control_ids.h"

using namespace testing_support;
namespace id = tovrel_ids;

// The texts as a user reads them, written out here rather than taken from the
// program, so that a slip in the program's own copy shows.
const std::wstring kExplanation =
    L"您可以在不卸载本软件的情况下停用/"
    L"启用Quorlen。\r（请注意：只有在关闭Word的情况下才能执行本功能。）";
const std::wstring kEnabledText = L"Quorlen已启用。“Quorlen”菜单出现在 Microsoft Word 上。";
const std::wstring kDisabledText = L"Quorlen已停用。“Quorlen”菜单不会出现在 Microsoft Word 上。";

namespace {

std::wstring Caption(HWND window) {
    std::wstring text(GetWindowTextLengthW(window) + 1, L'\0');
    text.resize(GetWindowTextW(window, text.data(), static_cast<int>(text.size())));
    return text;
}

// A control's rectangle in its window's client area.
RECT ClientRect(HWND control) {
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// The colour the window paints a label's text in.
COLORREF LabelTextColour(HWND label) {
    HDC dc = CreateCompatibleDC(nullptr);
    SetTextColor(dc, RGB(1, 2, 3));
    SendMessageW(GetParent(label), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                 reinterpret_cast<LPARAM>(label));
    const COLORREF colour = GetTextColor(dc);
    DeleteDC(dc);
    return colour;
}

// How many lines `text` takes in `label`'s font at the label's width.
int LinesIn(HWND label, const std::wstring& text) {
    RECT r;
    GetClientRect(label, &r);
    HDC dc = GetDC(label);
    HGDIOBJ previous =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(label, WM_GETFONT, 0, 0)));
    TEXTMETRICW metrics;
    GetTextMetricsW(dc, &metrics);
    DrawTextW(dc, text.c_str(), -1, &r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(dc, previous);
    ReleaseDC(label, dc);
    return (r.bottom - r.top) / metrics.tmHeight;
}

}  // namespace

class LayoutTest : public ::testing::Test {
protected:
    platform::Form form{tovrel::SettingsFormDesign(), [](int) {}};
};

TEST_F(LayoutTest, ControlsStandWhereTheTwipsTablePutsThem) {
    ASSERT_EQ(platform::ScreenDpi(), 96) << "layout is checked at 96 DPI";
    RECT client;
    GetClientRect(form.handle(), &client);
    EXPECT_EQ(client.right, 452);
    EXPECT_EQ(client.bottom, 242);

    struct Expected {
        int id;
        RECT rect;
    } controls[] = {
        {id::lblExplain, {24, 16, 24 + 361, 16 + 33}},
        {id::lblUp, {24, 56, 24 + 241, 56 + 33}},
        {id::cmdDown, {296, 56, 296 + 97, 56 + 33}},
        {id::lblDown, {24, 104, 24 + 241, 104 + 33}},
        {id::cmdUp, {296, 104, 296 + 97, 104 + 33}},
        {id::Picture1, {24, 192, 24 + 121, 192 + 41}},
        {id::cmdExit, {296, 192, 296 + 97, 192 + 36}},
    };
    for (const auto& c : controls) {
        const RECT r = ClientRect(form.control(c.id));
        EXPECT_TRUE(EqualRect(&r, &c.rect))
            << "control " << c.id << " at " << r.left << "," << r.top << "-" << r.right << ","
            << r.bottom << ", expected " << c.rect.left << "," << c.rect.top << "-" << c.rect.right
            << "," << c.rect.bottom;
    }
}

TEST(TwipsToPixels, FollowsTheDisplaysDpi) {
    struct Case {
        int twips, dpi, pixels;
    } cases[] = {{6780, 96, 452}, {6780, 120, 565}, {6780, 144, 678}, {495, 96, 33},
                 {495, 144, 50},  {540, 120, 45},   {15, 96, 1},      {0, 144, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(platform::TwipsToPixels(c.twips, c.dpi), c.pixels)
            << c.twips << " twips at " << c.dpi << " DPI";
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

TEST_F(LayoutTest, StatusLabelsHaveTheirColours) {
    EXPECT_EQ(LabelTextColour(form.control(id::lblUp)), GetSysColor(COLOR_HIGHLIGHT));
    EXPECT_EQ(LabelTextColour(form.control(id::lblDown)), RGB(192, 0, 0));
    EXPECT_EQ(LabelTextColour(form.control(id::lblExplain)), RGB(1, 2, 3))
        << "the explanation keeps the default colour";
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

TEST_F(LayoutTest, TextsFitTheirLabels) {
    EXPECT_EQ(LinesIn(form.control(id::lblExplain), kExplanation), 2)
        << "the explanation breaks at its carriage return, each sentence on one line";
    EXPECT_EQ(LinesIn(form.control(id::lblUp), kEnabledText), 2)
        << "the enabled text wraps onto a second line";
    EXPECT_EQ(LinesIn(form.control(id::lblDown), kDisabledText), 2)
        << "the disabled text wraps onto a second line";
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
    platform::Form form{tovrel::SettingsFormDesign(), [&](int id) { pressed.push_back(id); }};
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

TEST_F(LayoutTest, ShownCentredOnTheScreen) {
    form.ShowCentred();
    RECT r;
    GetWindowRect(form.handle(), &r);
    EXPECT_LE(std::abs((r.left + r.right) / 2 - GetSystemMetrics(SM_CXSCREEN) / 2), 1);
    EXPECT_LE(std::abs((r.top + r.bottom) / 2 - GetSystemMetrics(SM_CYSCREEN) / 2), 1);
    EXPECT_TRUE(IsWindowVisible(form.handle()));
}

// The window as the program opens it, over real files and registry values.
class SettingsWindowTest : public ::testing::Test {
protected:
    ScratchFolder startup{L"启动"};
    ValueOverride startupPath{L"software\\microsoft\\office\\10.0\\word\\options", L"startup-path"};
    std::wstring copy = startup / L"quorlen.dot";
    std::wstring source;

    void SetUp() override {
        startupPath.Set(startup.path());
        source = TestExeFolder() + L"\\quorlen.dot";
        WriteBytes(source, SampleTemplate(7));
    }
    void TearDown() override { RemoveTree(source); }

    struct Display {
        bool downEnabled, upEnabled;
        std::wstring up, down;
    };
    static void ExpectDisplay(tovrel::SettingsWindow& window, const Display& d, const char* when) {
        platform::Form& f = window.form();
        EXPECT_EQ(IsWindowEnabled(f.control(id::cmdDown)) != 0, d.downEnabled) << when;
        EXPECT_EQ(IsWindowEnabled(f.control(id::cmdUp)) != 0, d.upEnabled) << when;
        EXPECT_EQ(Printable(Caption(f.control(id::lblUp))), Printable(d.up)) << when;
        EXPECT_EQ(Printable(Caption(f.control(id::lblDown))), Printable(d.down)) << when;
    }
    const Display on{true, false, kEnabledText, L""};
    const Display off{false, true, L"", kDisabledText};
};

TEST_F(SettingsWindowTest, OpensShowingTheState) {
    {
        tovrel::SettingsWindow window;
        EXPECT_EQ(Printable(Caption(window.form().control(id::lblExplain))),
                  Printable(kExplanation));
        EXPECT_TRUE(IsWindowVisible(window.form().handle()));
        ExpectDisplay(window, off, "opened with no copy");
    }
    WriteBytes(copy, "older");
    tovrel::SettingsWindow window;
    ExpectDisplay(window, on, "opened with a copy in place");
}

TEST_F(SettingsWindowTest, ButtonsSwitchAndShowTheNewState) {
    tovrel::SettingsWindow window;
    window.cmdUp_Click();
    ExpectDisplay(window, on, "after enabling");
    EXPECT_TRUE(ReadBytes(copy) == ReadBytes(source)) << "a copy of the template expected";
    window.cmdDown_Click();
    ExpectDisplay(window, off, "after disabling");
    EXPECT_FALSE(Exists(copy));
}
