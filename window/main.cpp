// tovrel.exe: opens the settings window and runs it until the user leaves, or
// with a switch on its command line runs that switch without the window.
#include <windows.h>
#include <commctrl.h>

#include "platform/message_loop.h"
#include "platform/process.h"
#include "platform/startup_phases.h"
#include "window/command_line.h"
#include "window/settings_dialog.h"
#include "window/silent_switch.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
    platform::EndPhase("process start");
    platform::NarrowDllSearchPath();
    platform::KeepHardErrorBoxesAway();
    if (const auto command = window::ReadCommand(GetCommandLineW());
        command != window::Command::Window) {
        return window::RunSilentSwitch(command);
    }
    // The manifest asks for the common controls of version 6, whose window
    // classes Windows XP registers only once the library is loaded: without
    // this the dialog could not be made there.
    InitCommonControls();
    window::SettingsDialog settings;
    // Windows out of window or GDI resources: there is nothing to show, and
    // no raw error either.
    if (!settings.Create()) {
        return 1;
    }
    settings.Show(showCommand);
    platform::EndPhase("showing");
    platform::ReportPhases();
    return platform::RunMessageLoop(settings.hwnd());
}
