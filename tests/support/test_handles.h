// Owners for the handles only the tests open, built like the program's own.
#pragma once

#include <windows.h>

#include "platform/handles.h"

namespace support {

struct CloseRegistryKey {
    void operator()(HKEY key) const noexcept { RegCloseKey(key); }
};
struct DeleteDeviceContext {
    void operator()(HDC dc) const noexcept { DeleteDC(dc); }
};

using RegistryKey = platform::Owned<HKEY, CloseRegistryKey>;
using MemoryDC = platform::Owned<HDC, DeleteDeviceContext>;

// Selects an object into a device context and puts the previous one back.
class Selection {
public:
    Selection(HDC dc, HGDIOBJ object) noexcept : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~Selection() { SelectObject(dc_, previous_); }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

}  // namespace support
