// Thousands of switches through the code the buttons run, with the window
// repainted after each: nothing the program holds (kernel handles, GDI and
// USER objects) may grow, and the installed template stays as it was.
#include <gtest/gtest.h>

#include "tests/support/scratch_folder.h"
#include "tests/support/scratch_key.h"
#include "window/settings_window.h"

using namespace testing_support;

namespace {

struct Resources {
    DWORD handles = 0, gdi = 0, user = 0;
};

Resources Measure() {
    Resources r;
    GetProcessHandleCount(GetCurrentProcess(), &r.handles);
    r.gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    r.user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    return r;
}

}  // namespace

TEST(Soak, TwoThousandSwitchesLeakNothing) {
    ScratchFolder startup{L"启动"};
    ValueOverride startupPath{L"software\\microsoft\\office\\10.0\\word\\options", L"startup-path"};
    startupPath.Set(startup.path());
    const std::wstring source = TestExeFolder() + L"\\quorlen.dot";
    const std::string templateBytes = SampleTemplate(11, 60000);
    WriteBytes(source, templateBytes);

    tovrel::SettingsWindow window;
    auto cycle = [&] {
        window.cmdUp_Click();
        window.cmdDown_Click();
        RedrawWindow(window.form().handle(), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    };
    for (int i = 0; i < 50; ++i) {
        cycle();  // let first-use allocations settle
    }
    const Resources before = Measure();
    for (int i = 0; i < 2000; ++i) {
        cycle();
    }
    const Resources after = Measure();
    EXPECT_EQ(after.handles, before.handles) << "kernel handles after 2000 cycles";
    EXPECT_EQ(after.gdi, before.gdi) << "GDI objects after 2000 cycles";
    EXPECT_EQ(after.user, before.user) << "USER objects after 2000 cycles";
    EXPECT_FALSE(Exists(startup / L"quorlen.dot")) << "the last disable removed the copy";
    EXPECT_TRUE(ReadBytes(source) == templateBytes)
        << "the installed template must stay byte for byte as it was";
    RemoveTree(source);
}
