// tovrel.exe started as a user starts it, from a folder of its own with the
// template beside it, and worked through its window. Every case also proves
// that no file but the one copy in Word's startup folder was touched.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/e2e/app_driver.h"
#include "tests/e2e/debug_output.h"
#include "tests/e2e/installation.h"
#include "tests/support/expected.h"
#include "tests/window/laid_out.h"
#include "window/control_ids.h"

namespace {

using namespace support;
using namespace e2e;
namespace id = window::id;

constexpr DWORD kReactMs = 5000;
constexpr DWORD kQuietMs = 500;  // how long "no message box" is watched for
constexpr DWORD kExitMs = 5000;

Display Expected(bool on) {
    Display display;
    display.exitCaption = L"退 出";
    display.upCaption = L"启 用";
    display.downCaption = L"停 用";
    display.explanation = kExplanation;
    display.upRow = on ? kOnRow : L"";
    display.downRow = on ? L"" : kOffRow;
    display.exitEnabled = true;
    display.upEnabled = !on;
    display.downEnabled = on;
    return display;
}

// The state a press left, while the message box of its failure is open: the
// press ends when the box is dismissed, and neither switch can be pressed
// until then.
Display WhileTheBoxIsOpen(bool on) {
    Display display = Expected(on);
    display.upEnabled = display.downEnabled = false;
    return display;
}

const char* StateName(bool on) {
    return on ? "the ON display" : "the OFF display";
}

// The add-in on, off, or neither when the window cannot tell: both buttons
// enabled, both rows empty.
enum class Shown { Off, On, Neither };

Display Expected(Shown shown) {
    Display display = Expected(shown == Shown::On);
    if (shown == Shown::Neither) {
        display.downRow.clear();
        display.downEnabled = true;
    }
    return display;
}

const char* StateName(Shown shown) {
    return shown == Shown::Neither ? "neither display" : StateName(shown == Shown::On);
}

std::string Changes(const Snapshot& before, const Snapshot& after) {
    const std::wstring changes = DescribeChanges(before, after);
    return changes.empty() ? "nothing" : Utf8(changes);
}

template <class Case>
std::string CaseName(const testing::TestParamInfo<Case>& info) {
    return info.param.name;
}

// --- what the window shows at start -----------------------------------------

struct StartCase {
    const char* name;
    bool copyPresent;
};

void PrintTo(const StartCase& c, std::ostream* out) {
    *out << c.name;
}

class StartTest : public testing::TestWithParam<StartCase> {};

TEST_P(StartTest, ShowsTheStateAndTouchesNothing) {
    const StartCase& c = GetParam();
    Installation installation;
    if (c.copyPresent) {
        installation.PutCopy();
    }
    const Snapshot before = installation.Snap();
    auto app = installation.Start();

    EXPECT_EQ(app->ReadDisplay(), Expected(c.copyPresent))
        << "expected " << StateName(c.copyPresent) << " as soon as the window shows";
    for (int control : {id::cmdExit, id::Picture1, id::cmdUp, id::cmdDown, id::lblExplain,
                        id::lblUp, id::lblDown}) {
        EXPECT_TRUE(app->Control(control) && IsWindowVisible(app->Control(control)))
            << "expected a visible control with ID " << control;
    }
    EXPECT_TRUE(
        WaitUntil([&] { return app->FocusedWindow() == app->Control(id::cmdExit); }, kReactMs))
        << "expected the focus on 退 出 (ID 100) after start, got window " << app->FocusedWindow()
        << " with ID " << GetDlgCtrlID(app->FocusedWindow());

    if (!c.copyPresent) {
        Sleep(kQuietMs);  // let it finish painting
        RECT area;
        GetWindowRect(app->window(), &area);
        SaveBmp(CaptureScreen(area), e2e::BuildFolder() + L"\\artifacts\\tovrel-window.bmp");
    }

    app->Press(id::cmdExit);
    EXPECT_TRUE(app->WaitForExit(kExitMs)) << "expected the program to end on 退 出";
    EXPECT_EQ(DescribeChanges(before, installation.Snap()), L"")
        << "expected no file touched by starting and ending, got "
        << Changes(before, installation.Snap());
}

INSTANTIATE_TEST_SUITE_P(Start, StartTest,
                         testing::Values(StartCase{"CopyInStartupFolderMeansOn", true},
                                         StartCase{"NoCopyMeansOff", false}),
                         CaseName<StartCase>);

// The window comes up as the program was started: from a shortcut set to
// "Minimized", minimized; set to "Maximized", as it is, since its size is
// fixed.
TEST(Start, TheShowCommandTheProgramWasStartedWith) {
    const struct {
        const char* name;
        int showCommand;
        bool minimized;
    } rows[] = {
        {"a shortcut set to Minimized", SW_SHOWMINNOACTIVE, true},
        {"a shortcut set to Maximized", SW_SHOWMAXIMIZED, false},
        {"a shortcut set to Normal", SW_SHOWNORMAL, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const Installation installation;
        auto app = installation.Start(L"", row.showCommand);
        EXPECT_EQ(IsIconic(app->window()) != FALSE, row.minimized) << "minimized";
        EXPECT_FALSE(IsZoomed(app->window())) << "maximized";
        EXPECT_EQ(app->ReadDisplay(), Expected(false)) << "the state shown all the same";
    }
}

// --- switching on and off ----------------------------------------------------------

// Chinese folder names all the way, as the program's users have them.
TEST(Switch, EnableThenDisableMovesOnlyTheCopy) {
    const Installation installation(
        Place{"ChineseFolders", L"程序文件夹", L"中文用户", L"启动文件夹", false});
    const Snapshot before = installation.Snap();
    auto app = installation.Start();
    ASSERT_EQ(app->ReadDisplay(), Expected(false))
        << "expected the OFF display at start, with no copy at " << Utf8(installation.copy());

    app->Press(id::cmdUp);
    EXPECT_TRUE(WaitUntil([&] { return app->ReadDisplay() == Expected(true); }, kReactMs))
        << "expected the ON display after 启 用, got" << testing::PrintToString(app->ReadDisplay());
    EXPECT_EQ(app->WaitForMessageBox(kQuietMs), nullptr)
        << "expected no message box after a successful 启 用";
    EXPECT_EQ(ReadBytes(installation.copy()), installation.templateBytes())
        << "expected a byte-for-byte copy of the template at " << Utf8(installation.copy());
    EXPECT_EQ(DescribeChanges(before, installation.Snap()), installation.CopyCreated())
        << "expected only " << Utf8(installation.CopyCreated()) << ", got "
        << Changes(before, installation.Snap());

    app->Press(id::cmdDown);
    EXPECT_TRUE(WaitUntil([&] { return app->ReadDisplay() == Expected(false); }, kReactMs))
        << "expected the OFF display after 停 用, got"
        << testing::PrintToString(app->ReadDisplay());
    EXPECT_EQ(app->WaitForMessageBox(kQuietMs), nullptr)
        << "expected no message box after a successful 停 用";
    EXPECT_EQ(DescribeChanges(before, installation.Snap()), L"")
        << "expected the copy gone and everything else as before, got "
        << Changes(before, installation.Snap());

    app->Press(id::cmdExit);
    EXPECT_TRUE(app->WaitForExit(kExitMs)) << "expected the program to end on 退 出";
}

// --- switching that fails --------------------------------------------------------

struct FailureCase {
    const char* name;
    bool on;            // the copy is in the startup folder at start
    bool withTemplate;  // the template lies beside the program
    bool heldByWord;    // another process holds the copy open
    int button;
    std::wstring text;
    BoxIcon icon;
    std::string debugLine;  // what a debugger reads of the failed step
};

void PrintTo(const FailureCase& c, std::ostream* out) {
    *out << c.name;
}

class FailureTest : public testing::TestWithParam<FailureCase> {};

TEST_P(FailureTest, ExplainsKeepsTheStateAndStillEnds) {
    const FailureCase& c = GetParam();
    const Installation installation(kUsual, c.withTemplate);
    if (c.on) {
        installation.PutCopy();
    }
    std::optional<HeldOpen> word;
    if (c.heldByWord) {
        word.emplace(installation.copy());
    }
    const Snapshot before = installation.Snap();
    auto app = installation.Start();
    ASSERT_EQ(app->ReadDisplay(), Expected(c.on)) << "expected " << StateName(c.on) << " at start";
    DWORD processId = 0;
    GetWindowThreadProcessId(app->window(), &processId);
    const DebugOutput debugger(processId);

    app->Press(c.button);
    const HWND box = app->WaitForMessageBox(kReactMs);
    ASSERT_NE(box, nullptr) << "expected a message box (dialog) of the program after the press";
    const e2e::MessageBoxView view = e2e::ReadMessageBox(box, kReactMs);
    EXPECT_EQ(view.title, L"Quorlen") << "expected the title Quorlen, got " << Utf8(view.title);
    EXPECT_EQ(view.text, c.text) << "expected the text " << Utf8(c.text) << ", got "
                                 << Utf8(view.text);
    EXPECT_EQ(view.icon, c.icon) << "expected the " << Name(c.icon) << ", got " << Name(view.icon);
    EXPECT_TRUE(view.buttonIds.size() == 1 &&
                (view.buttonIds.front() == IDOK || view.buttonIds.front() == IDCANCEL))
        << "expected a single OK button, got " << view.buttonIds.size() << " buttons";
    EXPECT_EQ(view.owner, app->window()) << "expected the box owned by the settings window";
    EXPECT_FALSE(IsWindowEnabled(app->window()))
        << "expected the settings window disabled while the box is up";

    ASSERT_TRUE(e2e::AnswerMessageBox(box, kReactMs)) << "expected the box to close on OK";
    EXPECT_TRUE(WaitUntil([&] { return app->ReadDisplay() == Expected(c.on); }, kReactMs))
        << "expected " << StateName(c.on) << " still after OK, got"
        << testing::PrintToString(app->ReadDisplay());
    EXPECT_EQ(DescribeChanges(before, installation.Snap()), L"")
        << "expected no file touched by the failed attempt, got "
        << Changes(before, installation.Snap());

    app->Press(id::cmdExit);
    EXPECT_TRUE(app->WaitForExit(kExitMs))
        << "expected the program to end within 5 s of 退 出 after a failed attempt";
    // Support tells one failure from another by the line for a debugger.
    const std::vector<std::string> lines = debugger.Lines();
    EXPECT_TRUE(std::find(lines.begin(), lines.end(), c.debugLine) != lines.end())
        << "expected the line " << testing::PrintToString(c.debugLine) << " for a debugger, got "
        << testing::PrintToString(lines);
}

INSTANTIATE_TEST_SUITE_P(
    Failures, FailureTest,
    testing::Values(FailureCase{"DisableWhileWordHoldsTheCopy", true, true, true, id::cmdDown,
                                kNotDisabled, BoxIcon::Stop, "tovrel: disable: delete: error 32\n"},
                    FailureCase{"EnableWithoutTheTemplate", false, false, false, id::cmdUp,
                                kNotEnabled, BoxIcon::Information,
                                "tovrel: enable: copy: error 2\n"}),
    CaseName<FailureCase>);

// --- ending -------------------------------------------------------------------------

// How the window goes.
enum class Ending { ExitButton, CloseWindow, CloseHiddenOwner };

struct EndCase {
    const char* name;
    Ending how;
};

void PrintTo(const EndCase& c, std::ostream* out) {
    *out << c.name;
}

class EndTest : public testing::TestWithParam<EndCase> {};

TEST_P(EndTest, EndsAtOnce) {
    const Installation installation;
    const Snapshot before = installation.Snap();
    auto app = installation.Start();
    switch (GetParam().how) {
        case Ending::ExitButton: app->Press(id::cmdExit); break;
        case Ending::CloseWindow: PostMessageW(app->window(), WM_CLOSE, 0, 0); break;
        case Ending::CloseHiddenOwner:
            // The owner that keeps the window out of the task bar; closing it
            // takes the window along.
            PostMessageW(GetWindow(app->window(), GW_OWNER), WM_CLOSE, 0, 0);
            break;
    }
    EXPECT_TRUE(app->WaitForExit(kExitMs)) << "expected the process to end within 5 s";
    EXPECT_EQ(DescribeChanges(before, installation.Snap()), L"")
        << "expected no file touched; got " << Changes(before, installation.Snap());
}

INSTANTIATE_TEST_SUITE_P(Ending, EndTest,
                         testing::Values(EndCase{"ExitButton", Ending::ExitButton},
                                         EndCase{"CloseWindow", Ending::CloseWindow},
                                         EndCase{"CloseHiddenOwner", Ending::CloseHiddenOwner}),
                         CaseName<EndCase>);

// --- the layout follows the display's DPI --------------------------------------

class DpiTest : public testing::TestWithParam<LaidOut> {};

TEST_P(DpiTest, LaysTheWindowOutInTwipsAtTheDisplaysDpi) {
    const DpiSetting setting(GetParam().dpi);
    const Installation installation;
    const Snapshot before = installation.Snap();
    auto app = installation.Start();

    ExpectLaidOut(app->window(), GetParam());
    RECT frame;
    GetWindowRect(app->window(), &frame);
    EXPECT_TRUE(frame.left >= 0 && frame.top >= 0)
        << "expected the title bar on the screen, got the window at " << frame.left << ","
        << frame.top;
    app->Press(id::cmdExit);
    EXPECT_TRUE(app->WaitForExit(kExitMs)) << "expected the process to end within 5 s";
    EXPECT_EQ(DescribeChanges(before, installation.Snap()), L"")
        << "expected no file touched; got " << Changes(before, installation.Snap());
}

INSTANTIATE_TEST_SUITE_P(Dpi, DpiTest, testing::ValuesIn(kLaidOut),
                         [](const testing::TestParamInfo<LaidOut>& info) {
                             return std::to_string(info.param.dpi) + "Dpi";
                         });

// --- one switch per key press -------------------------------------------------------

// The focus starts on 退 出; one Tab takes it to 启 用, which is enabled while
// the add-in is off.
bool FocusOnEnable(const RunningApp& app) {
    const auto on = [&](int control) {
        return WaitUntil([&] { return app.FocusedWindow() == app.Control(control); }, kReactMs);
    };
    if (!on(id::cmdExit)) {
        return false;
    }
    app.Type({{VK_TAB}, {VK_TAB, true}});
    return on(id::cmdUp);
}

// After 启 用 the focus moves on to 停 用: a press still queued would go
// there. Each case types while the program is busy; an auto-repeat of Enter
// follows once it is done, posted with its repeat bit: under Wine a key typed
// down in one call and again in the next is not always seen as held.
TEST(Keys, OnePressOfEnableSwitchesOnce) {
    constexpr Key kEnter{VK_RETURN}, kEnterUp{VK_RETURN, true};
    const struct {
        const char* name;
        bool withTemplate;
        std::vector<Key> keys;
    } cases[] = {
        {"Enter held down", true, {kEnter, kEnter, kEnter, kEnterUp}},
        {"two quick Enters", true, {kEnter, kEnterUp, kEnter, kEnterUp}},
        // The second press must not close the box before it is read.
        {"two quick Enters on a failure", false, {kEnter, kEnterUp, kEnter, kEnterUp}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Installation installation(kUsual, c.withTemplate);
        auto app = installation.Start();
        ASSERT_TRUE(FocusOnEnable(*app)) << "expected the focus on 启 用 after start and Tab";
        app->Type(c.keys);
        Sleep(kQuietMs);
        PostMessageW(app->FocusedWindow(), WM_KEYDOWN, VK_RETURN, 1 << 30 | 1);
        Sleep(kQuietMs);
        EXPECT_FALSE(app->WaitForExit(0)) << "expected the program still running";
        EXPECT_EQ(app->ReadDisplay(), c.withTemplate ? Expected(true) : WhileTheBoxIsOpen(false))
            << "expected " << StateName(c.withTemplate);
        EXPECT_EQ(app->FindMessageBox() != nullptr, !c.withTemplate)
            << "expected " << (c.withTemplate ? "no message box" : "the message box still open");
    }
}

// Enter right after start, with no Tab before it, presses 退 出, where the
// focus starts: the program ends.
TEST(Keys, EnterAtStartPressesExit) {
    const Installation installation;
    auto app = installation.Start();
    ASSERT_TRUE(
        WaitUntil([&] { return app->FocusedWindow() == app->Control(id::cmdExit); }, kReactMs))
        << "expected the focus on 退 出 after start";
    app->Type({{VK_RETURN}, {VK_RETURN, true}});
    EXPECT_TRUE(app->WaitForExit(kExitMs)) << "expected Enter at start to end the program";
}

// Enter pressed again and again on the focused switch button switches back and
// forth: after each switch the focus is on the switch button now enabled,
// never on 退 出, where the next Enter would end the program.
TEST(Keys, EnterAgainSwitchesBack) {
    const Installation installation;
    auto app = installation.Start();
    ASSERT_TRUE(FocusOnEnable(*app)) << "expected the focus on 启 用 after start and Tab";
    for (int press = 1; press <= 5; ++press) {
        const bool on = press % 2 == 1;
        SCOPED_TRACE("Enter number " + std::to_string(press));
        app->Type({{VK_RETURN}, {VK_RETURN, true}});
        EXPECT_TRUE(WaitUntil([&] { return app->ReadDisplay() == Expected(on); }, kReactMs))
            << "expected " << StateName(on) << ", got"
            << testing::PrintToString(app->ReadDisplay());
        const HWND expected = app->Control(on ? id::cmdDown : id::cmdUp);
        EXPECT_TRUE(WaitUntil([&] { return app->FocusedWindow() == expected; }, kReactMs))
            << "expected the focus on " << (on ? "停 用" : "启 用") << ", got the control with ID "
            << GetDlgCtrlID(app->FocusedWindow());
        ASSERT_FALSE(app->WaitForExit(450)) << "expected the program still running";
    }
}

// A window of the test's own, brought in front of tovrel's.
class OtherWindow {
public:
    OtherWindow()
        : window_(CreateWindowExW(0, L"STATIC", L"another program",
                                  WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                                  nullptr, nullptr, nullptr)) {}
    ~OtherWindow() { DestroyWindow(window_); }
    HWND get() const { return window_; }

private:
    HWND window_;
};

// Brings `window` in front, as a click on it does.
bool BringToFront(HWND window) {
    return WaitUntil(
        [&] {
            SetForegroundWindow(window);
            for (MSG m; PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE);) {
                DispatchMessageW(&m);
            }
            return GetForegroundWindow() == window;
        },
        kReactMs);
}

// The state changes while another window is in front and disables the button
// that had the focus: coming back, the focus is on the switch button that is
// enabled, so that Enter switches back.
TEST(Keys, FocusComesBackToAnEnabledButton) {
    const Installation installation;
    auto app = installation.Start();
    ASSERT_TRUE(FocusOnEnable(*app)) << "expected the focus on 启 用 after start and Tab";
    const OtherWindow other;
    ASSERT_TRUE(BringToFront(other.get())) << "expected another window in front";
    installation.PutCopy();
    ASSERT_TRUE(WaitUntil([&] { return app->ReadDisplay() == Expected(true); }, kReactMs))
        << "expected the ON display once the copy is there";
    ASSERT_TRUE(BringToFront(app->window())) << "expected tovrel's window in front again";
    EXPECT_TRUE(
        WaitUntil([&] { return app->FocusedWindow() == app->Control(id::cmdDown); }, kReactMs))
        << "expected the focus on 停 用, got the control with ID "
        << GetDlgCtrlID(app->FocusedWindow());
}

// --- hostile timing, other processes, odd folders ---------------------------------

TEST(Hostile, QueuedClicksRunTheHandlerOnce) {
    const Installation installation(kUsual, /*withTemplate=*/false);
    const Snapshot before = installation.Snap();
    auto app = installation.Start();
    for (int i = 0; i < 20; ++i) {
        app->Press(id::cmdUp);
    }
    ASSERT_NE(app->WaitForMessageBox(kReactMs), nullptr) << "expected the NotEnabled box";
    Sleep(kQuietMs);
    EXPECT_EQ(app->MessageBoxes().size(), 1u)
        << "expected one message box for twenty queued clicks on 启 用, got "
        << app->MessageBoxes().size();
    ASSERT_TRUE(e2e::AnswerMessageBox(app->FindMessageBox(), kReactMs))
        << "expected the box to close on OK";
    EXPECT_EQ(app->WaitForMessageBox(kQuietMs), nullptr) << "expected no box after the first";
    EXPECT_TRUE(WaitUntil([&] { return app->ReadDisplay() == Expected(false); }, kReactMs))
        << "expected the OFF display still";
    EXPECT_EQ(DescribeChanges(before, installation.Snap()), L"")
        << "expected no file touched, got " << Changes(before, installation.Snap());
}

// Windows sends WM_ENDSESSION and waits; WM_CLOSE comes posted, and so may a
// quit request to the thread, from a tool that closes programs at log-off.
// The message box's own loop takes the quit request and ends the box; the
// program must still end.
TEST(Hostile, EndsWhenClosedOrLoggedOffDuringAMessageBox) {
    enum class Delivery { Sent, PostedToTheThread };
    struct Case {
        const char* what;
        UINT message;
        WPARAM wParam;
        Delivery delivery;
    } cases[] = {{"WM_CLOSE", WM_CLOSE, 0, Delivery::Sent},
                 {"WM_ENDSESSION", WM_ENDSESSION, TRUE, Delivery::Sent},
                 {"WM_QUIT", WM_QUIT, 0, Delivery::PostedToTheThread}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Installation installation;
        installation.PutCopy();
        std::optional<HeldOpen> word(installation.copy());
        const Snapshot before = installation.Snap();
        auto app = installation.Start();
        app->Press(id::cmdDown);
        ASSERT_NE(app->WaitForMessageBox(kReactMs), nullptr) << "expected the NotDisabled box";
        if (c.delivery == Delivery::Sent) {
            DWORD_PTR ignored = 0;
            SendMessageTimeoutW(app->window(), c.message, c.wParam, 0, SMTO_ABORTIFHUNG, kExitMs,
                                &ignored);
        } else {
            PostThreadMessageW(GetWindowThreadProcessId(app->window(), nullptr), c.message,
                               c.wParam, 0);
        }
        EXPECT_TRUE(app->WaitForExit(kExitMs)) << "expected the program to end";
        word.reset();
        EXPECT_EQ(DescribeChanges(before, installation.Snap()), L"")
            << "expected no file touched, got " << Changes(before, installation.Snap());
    }
}

// A command that no enabled button of the window sent presses nothing.
TEST(Hostile, CommandsNotFromAnEnabledButtonPressNothing) {
    const Installation installation;
    const Snapshot before = installation.Snap();
    auto app = installation.Start();
    const struct {
        const char* what;
        WPARAM wParam;
        LPARAM lParam;
    } forged[] = {
        {"启 用 clicked by another window", MAKEWPARAM(id::cmdUp, BN_CLICKED),
         reinterpret_cast<LPARAM>(GetDesktopWindow())},
        {"停 用 clicked while disabled", MAKEWPARAM(id::cmdDown, BN_CLICKED),
         reinterpret_cast<LPARAM>(app->Control(id::cmdDown))},
    };
    for (const auto& f : forged) {
        PostMessageW(app->window(), WM_COMMAND, f.wParam, f.lParam);
        EXPECT_EQ(app->WaitForMessageBox(kQuietMs), nullptr) << f.what << ": expected no box";
        EXPECT_FALSE(app->WaitForExit(0)) << f.what << ": expected the program still running";
        EXPECT_EQ(DescribeChanges(before, installation.Snap()), L"")
            << f.what << ": expected no file touched";
    }
    app->Press(id::cmdUp);
    EXPECT_TRUE(WaitUntil([&] { return app->ReadDisplay() == Expected(true); }, kReactMs))
        << "expected a real press of 启 用 to work still";
}

TEST(Hostile, TwoInstancesSwitchTheOneCopy) {
    const Installation installation;
    const Snapshot before = installation.Snap();
    auto first = installation.Start();
    auto second = installation.Start();
    // Each press is judged by the files as they are when it comes.
    const struct {
        RunningApp* app;
        int button;
        bool on;
    } steps[] = {{first.get(), id::cmdUp, true},
                 {second.get(), id::cmdUp, true},
                 {first.get(), id::cmdDown, false},
                 {second.get(), id::cmdDown, false}};
    for (const auto& step : steps) {
        step.app->Press(step.button);
        EXPECT_TRUE(
            WaitUntil([&] { return step.app->ReadDisplay() == Expected(step.on); }, kReactMs))
            << "expected " << StateName(step.on) << ", got"
            << testing::PrintToString(step.app->ReadDisplay());
        EXPECT_EQ(step.app->WaitForMessageBox(kQuietMs), nullptr) << "expected no message box";
        EXPECT_EQ(Exists(installation.copy()), step.on) << "expected the copy to match";
    }
    EXPECT_EQ(DescribeChanges(before, installation.Snap()), L"")
        << "expected everything as before, got " << Changes(before, installation.Snap());
}

TEST(Hostile, NeverDeletesTheTemplateReachedByAnotherName) {
    // tovrel in a folder whose name code page 936 cannot spell, and Word's
    // startup folder set to that same folder by a name it can: X: is a second
    // name for C:\程序한 in the test prefix (scripts/lib/wine-env.sh).
    Installation installation(kUsual, true, L"C:\\程序한");
    const std::wstring folder = installation.programFolder();
    installation.SetStartupPath(L"X:" + folder.substr(folder.find(L'\\', 3)) + L"\\");
    const Snapshot before = installation.Snap();
    auto app = installation.Start();
    ASSERT_EQ(app->ReadDisplay(), Expected(true)) << "expected the template itself read as ON";
    app->Press(id::cmdDown);
    const HWND box = app->WaitForMessageBox(kReactMs);
    ASSERT_NE(box, nullptr) << "expected the NotDisabled box";
    EXPECT_EQ(e2e::ReadMessageBox(box, kReactMs).text, kNotDisabled);
    ASSERT_TRUE(e2e::AnswerMessageBox(box, kReactMs)) << "expected the box to close on OK";
    EXPECT_TRUE(WaitUntil([&] { return app->ReadDisplay() == Expected(true); }, kReactMs))
        << "expected the ON display still";
    EXPECT_EQ(DescribeChanges(before, installation.Snap()), L"")
        << "expected the installed template untouched, got "
        << Changes(before, installation.Snap());
}

// --- outside the program: its other names, other programs, the folder itself ---

// The window follows the copy's place inside loops other than its own: here
// the system menu's, opened as Alt+Space opens it.
TEST(Outside, FollowedWhileTheSystemMenuIsOpen) {
    const Installation installation;
    auto app = installation.Start();
    ASSERT_EQ(app->ReadDisplay(), Expected(false)) << "expected the OFF display at start";
    PostMessageW(app->window(), WM_SYSCOMMAND, SC_KEYMENU, VK_SPACE);
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    const DWORD thread = GetWindowThreadProcessId(app->window(), nullptr);
    ASSERT_TRUE(WaitUntil(
        [&] { return GetGUIThreadInfo(thread, &info) && (info.flags & GUI_INMENUMODE); }, kReactMs))
        << "expected the system menu open";
    installation.PutCopy();
    EXPECT_TRUE(WaitUntil([&] { return app->ReadDisplay() == Expected(true); }, 2000))
        << "expected the ON display within 2 s, the menu still open, got"
        << testing::PrintToString(app->ReadDisplay());
    EXPECT_TRUE(GetGUIThreadInfo(thread, &info) && (info.flags & GUI_INMENUMODE))
        << "expected the system menu still open";
}

// What a case works on: the installation, and what it adds around it.
struct Stage {
    Installation installation;
    std::optional<ScratchFolder> elsewhere;
    std::wstring exe;              // started instead of the installed tovrel.exe, when set
    std::optional<UnixLink> link;  // gone first, while what it leads to is there
};

struct OutsideCase {
    const char* name;
    std::function<void(Stage&)> arrange;  // before the start, if anything
    Shown atStart;
    std::function<void(Stage&, RunningApp&)> meanwhile;  // under the open window, if anything
    int press;                                           // 0 for none
    const std::wstring* message;                         // the box the press shows, if any
    Shown after;
};

void PrintTo(const OutsideCase& c, std::ostream* out) {
    *out << c.name;
}

class OutsideTest : public testing::TestWithParam<OutsideCase> {};

TEST_P(OutsideTest, ShowsWhatLiesThereAndTouchesOnlyTheCopy) {
    const OutsideCase& c = GetParam();
    Stage stage;
    if (c.arrange) {
        c.arrange(stage);
    }
    auto app = stage.installation.Start(stage.exe);
    ASSERT_EQ(app->ReadDisplay(), Expected(c.atStart))
        << "expected " << StateName(c.atStart) << " at start";
    if (c.meanwhile) {
        c.meanwhile(stage, *app);
    }
    if (IsSkipped()) {
        return;  // a case only Wine can stage
    }
    const Snapshot before = stage.installation.Snap();

    if (c.press) {
        app->Press(c.press);
    }
    if (c.message) {
        const HWND box = app->WaitForMessageBox(kReactMs);
        ASSERT_NE(box, nullptr) << "expected the box " << Utf8(*c.message);
        EXPECT_EQ(e2e::ReadMessageBox(box, kReactMs).text, *c.message);
        ASSERT_TRUE(e2e::AnswerMessageBox(box, kReactMs)) << "expected the box to close on OK";
    } else {
        EXPECT_EQ(app->WaitForMessageBox(kQuietMs), nullptr) << "expected no message box";
    }
    // A change from outside shows within 2 s.
    const DWORD within = c.press ? kReactMs : 2000;
    EXPECT_TRUE(WaitUntil([&] { return app->ReadDisplay() == Expected(c.after); }, within))
        << "expected " << StateName(c.after) << " within " << within << " ms, got"
        << testing::PrintToString(app->ReadDisplay());
    EXPECT_EQ(DescribeChanges(before, stage.installation.Snap()), L"")
        << "expected no file touched by the program, got "
        << Changes(before, stage.installation.Snap());
}

// A copy in the startup folder, which startup-path spells with `tail` after it.
std::function<void(Stage&)> CopyThereSpelled(const wchar_t* tail) {
    return [tail](Stage& s) {
        s.installation.SetStartupPath(s.installation.startupFolder() + tail);
        s.installation.PutCopy();
    };
}

void MoveStartupFolderAside(Stage& s, RunningApp&) {
    const std::wstring folder = s.installation.startupFolder();
    MoveFileW(folder.c_str(), (folder + L"-aside").c_str());
}

const OutsideCase kOutsideCases[] = {
    // Word's startup folder is the program's folder, and the program is
    // started by a second name from a folder without the template: it cannot
    // tell the template from a copy, so it deletes nothing.
    {"StartedByASecondName",
     [](Stage& s) {
         s.installation.SetStartupPath(s.installation.programFolder() + L"\\");
         s.elsewhere.emplace(L"second");
         s.exe = *s.elsewhere / L"tovrel.exe";
         HardLink(s.exe, s.installation.exe());
     },
     Shown::On, nullptr, id::cmdDown, &kNotDisabled, Shown::On},
    // The copy went with its folder: 停 用 finds nothing to delete.
    {"StartupFolderReplacedByAFile", [](Stage& s) { s.installation.PutCopy(); }, Shown::On,
     [](Stage& s, RunningApp&) {
         const std::wstring folder = s.installation.startupFolder();
         MoveFileW(folder.c_str(), (folder + L"-aside").c_str());
         WriteBytes(folder, "not a folder");
     },
     id::cmdDown, nullptr, Shown::Off},
    // The check cannot tell after the press (a link that leads to itself, as
    // Windows answers for a loop of reparse points too): the window shows
    // neither state, not the one it showed before.
    {"CannotTellAfterAPress", nullptr, Shown::Off,
     [](Stage& s, RunningApp&) {
         if (!UnderWine()) {
             GTEST_SKIP() << "a Unix symbolic link is made only under Wine";
         }
         const std::wstring folder = s.installation.startupFolder();
         const size_t cut = folder.rfind(L'\\');
         MoveFileW(folder.c_str(), (folder + L"-aside").c_str());
         s.link.emplace(folder.substr(0, cut), folder.substr(cut + 1), folder.substr(cut + 1));
     },
     id::cmdUp, &kNotEnabled, Shown::Neither},
    // What the window shows stays true while it is open, without a press.
    {"ACopyPutThereFromOutside", nullptr, Shown::Off,
     [](Stage& s, RunningApp&) { s.installation.PutCopy(); }, 0, nullptr, Shown::On},
    // Any folder on the way moved away is seen, however the way is spelled.
    {"AFolderTwoAboveMovedAway",
     [](Stage& s) {
         const std::wstring folder = s.installation.startupFolder() + L"\\..\\AppData\\microsoft";
         s.installation.SetStartupPath(folder + L"\\word\\startup\\");
         WriteBytes(folder + L"\\word\\startup\\quorlen.dot", s.installation.templateBytes());
     },
     Shown::On,
     [](Stage& s, RunningApp&) {
         const std::wstring folder = s.installation.startupFolder() + L"\\..\\AppData\\microsoft";
         MoveFileW(folder.c_str(), (folder + L"-aside").c_str());
     },
     0, nullptr, Shown::Off},
    {"StartupPathWithADotMovedAway", CopyThereSpelled(L"\\.\\"), Shown::On, MoveStartupFolderAside,
     0, nullptr, Shown::Off},
    {"StartupPathThroughAFolderAndBackMovedAway", CopyThereSpelled(L"\\sub\\..\\"), Shown::On,
     MoveStartupFolderAside, 0, nullptr, Shown::Off},
    // Moved away and made anew, with a copy: seen without coming back to the
    // window.
    {"AStartupFolderMadeAnewWithACopy", nullptr, Shown::Off,
     [](Stage& s, RunningApp&) {
         const std::wstring folder = s.installation.startupFolder();
         MoveFileW(folder.c_str(), (folder + L"-aside").c_str());
         MakeFolder(folder);
         s.installation.PutCopy();
     },
     0, nullptr, Shown::On},
};

INSTANTIATE_TEST_SUITE_P(Outside, OutsideTest, testing::ValuesIn(kOutsideCases),
                         CaseName<OutsideCase>);

}  // namespace
