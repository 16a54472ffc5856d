// Every file call of the window, made off the window's thread, so that a
// share whose server does not answer (Windows may hold each call for up to a
// minute) holds up only the state shown, never the window. One thread works
// through a press or a look at a time; it looks at the copy's place now and
// then while the window is open, holding no handle between looks, so that no
// folder on the way is kept from being renamed, moved or removed. Each answer
// reaches the window as a posted message, which every message loop delivers:
// its message boxes', its system menu's, a drag's.
#pragma once

#include <windows.h>

#include "placement/template_locations.h"
#include "placement/template_switch.h"
#include "platform/handles.h"

namespace window {

class FileThread {
public:
    // What the window is told: kLooked with the Presence in wParam; kPressed
    // with the SwitchOutcome in wParam and the Presence after it in lParam.
    static constexpr UINT kLooked = WM_APP + 1, kPressed = WM_APP + 2;

    FileThread() = default;
    ~FileThread();  // waits for the work that runs
    FileThread(const FileThread&) = delete;
    FileThread& operator=(const FileThread&) = delete;

    // Starts looking at `locations.strDest` for `window`: now, then every
    // little while. False when Windows could not give it a thread.
    bool Start(const placement::TemplateLocations& locations, HWND window);

    // Waits up to `ms` for the first look's answer to be posted; whether it was.
    bool WaitForFirstAnswer(DWORD ms) const;

    // A look now, or right after the work that runs.
    void Look();

    // Switches the add-in on (`on`) or off, then looks; after the work that
    // runs. The caller asks once per press and waits for kPressed.
    void Press(bool on);

private:
    static DWORD WINAPI Working(void* self);

    placement::TemplateLocations locations_;
    HWND window_ = nullptr;
    LONG press_ = 0;  // 0, or 1 + whether to switch on
    platform::KernelHandle wake_, stop_, firstAnswer_, thread_;
};

}  // namespace window
