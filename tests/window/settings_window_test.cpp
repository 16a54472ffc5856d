#include "window/settings_window.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/handles.h"
#include "tests/support/expected.h"
#include "tests/support/printable.h"
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

// The colour the window paints a label's text in.
COLORREF LabelTextColour(HWND label) {
    platform::MemoryDC dc(CreateCompatibleDC(nullptr));
    SetTextColor(dc.get(), RGB(1, 2, 3));
    SendMessageW(GetParent(label), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc.get()),
                 reinterpret_cast<LPARAM>(label));
    return GetTextColor(dc.get());
}

// How many lines `text` takes in `label`'s font at the label's width.
int LinesIn(HWND label, const std::wstring& text) {
    RECT r;
    GetClientRect(label, &r);
    platform::WindowDC dc(GetDC(label), {label});
    const platform::Selection font(
        dc.get(), reinterpret_cast<HGDIOBJ>(SendMessageW(label, WM_GETFONT, 0, 0)));
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

TEST_F(LayoutTest, ControlsStandWhereTheTwipsTablePutsThem) {
    platform::WindowDC screen(GetDC(nullptr), {nullptr});
    ASSERT_EQ(GetDeviceCaps(screen.get(), LOGPIXELSY), 96) << "layout is checked at 96 DPI";
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
    EXPECT_EQ(LinesIn(form.control(id::lblUp), kOnRow), 2)
        << "the enabled text wraps onto a second line";
    EXPECT_EQ(LinesIn(form.control(id::lblDown), kOffRow), 2)
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

TEST_F(LayoutTest, ShownCentredOnTheScreen) {
    form.ShowCentred();
    RECT r;
    GetWindowRect(form.handle(), &r);
    EXPECT_LE(std::abs((r.left + r.right) / 2 - GetSystemMetrics(SM_CXSCREEN) / 2), 1);
    EXPECT_LE(std::abs((r.top + r.bottom) / 2 - GetSystemMetrics(SM_CYSCREEN) / 2), 1);
    EXPECT_TRUE(IsWindowVisible(form.handle()));
}
