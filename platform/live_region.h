#pragma once

#include <windows.h>

namespace platform {

// Screen readers read `label`'s new text out though the focus is elsewhere: it
// is marked a polite live region and EVENT_OBJECT_LIVEREGIONCHANGED raised
// (Windows 8 and later; earlier ones pass both by). COM loads at the first
// call, on its thread, and stays.
void AnnounceLiveRegion(HWND label);

}  // namespace platform
