// Screen readers read a label's new text out when it changes, though the
// focus is elsewhere: the label is marked a polite live region and each change
// raises EVENT_OBJECT_LIVEREGIONCHANGED, as Microsoft documents for Win32
// (Windows 8 and later; earlier Windows and their screen readers pass both by).
#pragma once

#include <windows.h>

#include <vector>

struct IAccPropServices;

namespace platform {

class LiveRegions {
public:
    LiveRegions() = default;
    ~LiveRegions();  // while the labels are still there
    LiveRegions(const LiveRegions&) = delete;
    LiveRegions& operator=(const LiveRegions&) = delete;

    // Tells screen readers that `label` shows new text.
    void Announce(HWND label);

private:
    void Mark(HWND label);

    bool started_ = false;      // COM, once something is announced
    bool initialised_ = false;  // COM initialised here, so uninitialised here
    IAccPropServices* annotations_ = nullptr;
    std::vector<HWND> marked_;
};

}  // namespace platform
