// Screen readers read a label's new text out though the focus is elsewhere:
// the label is marked a polite live region, and the change raises
// EVENT_OBJECT_LIVEREGIONCHANGED (Windows 8 and later; earlier Windows and
// their screen readers pass both by).
#pragma once

#include <windows.h>

namespace platform {

// COM and the annotation service load at the first call, on its thread, and
// stay for the process.
void AnnounceLiveRegion(HWND label);

}  // namespace platform
