// A change notification on the folder a file lies in, for the window's event
// loop to wait on: names, folders and attributes changing there. While that
// folder cannot be watched (it is missing, or is a file), the nearest folder
// above it that can be is watched instead, so that its coming is seen too.
#pragma once

#include <windows.h>

#include <string>

#include "platform/handles.h"

namespace platform {

class FolderWatch {
public:
    explicit FolderWatch(std::wstring file);

    // Signalled once something changed since the watch began; null when no
    // folder on the way can be watched.
    HANDLE event() const { return handle_ ? handle_.get() : nullptr; }

    // Watches anew, as the folder may have come or gone since.
    void Renew();

private:
    std::wstring file_;
    ChangeNotification handle_;
};

}  // namespace platform
