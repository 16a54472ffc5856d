// tovrel.exe: opens the settings window and runs it until the user leaves.
#include <windows.h>

#include <exception>

#include "platform/later_windows.h"
#include "platform/startup_phases.h"
#include "window/settings_window.h"

namespace {

// Only Windows' own folders may supply DLLs, never the folder the program was
// started from, so a planted DLL beside a download cannot ride along.
void NarrowDllSearchPath() {
    if (const auto setDefault = LATER_WINDOWS(L"kernel32.dll", SetDefaultDllDirectories)) {
        setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
    }
    SetDllDirectoryW(L"");
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    platform::EndPhase("process start");
    NarrowDllSearchPath();
    // A drive with no disk in it fails the file call that reaches it; Windows
    // is not to put up its own "no disk" box, a raw error, meanwhile.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    try {
        window::SettingsWindow settings;
        platform::ReportPhases();
        settings.form().RunEventLoop();
    } catch (const std::exception&) {
        // The window could not be made (Windows out of window or GDI
        // resources): there is nothing to show, and no raw error either.
        return 1;
    }
    return 0;
}
