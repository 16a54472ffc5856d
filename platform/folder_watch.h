// A change notification on the folder a file lies in, for the window's event
// loop to wait on: names, folders and attributes changing there. While that
// folder cannot be watched (it is missing, or is a file), the nearest folder
// above it that can be is watched instead, so that its coming is seen too.
// The folder above the watched one is watched for folder names: a watch
// follows its folder when it is moved away, and a folder made anew in its
// place would go unseen.
#pragma once

#include <windows.h>

#include <span>
#include <string>

#include "platform/handles.h"

namespace platform {

class FolderWatch {
public:
    explicit FolderWatch(std::wstring file);

    // Any one is signalled once something changed since the watch began;
    // none when no folder on the way can be watched.
    std::span<const HANDLE> events() const { return {events_, count_}; }

    // Watches anew, as the folder may have come or gone since.
    void Renew();

private:
    std::wstring file_;
    ChangeNotification contents_, place_;
    HANDLE events_[2] = {};
    size_t count_ = 0;
};

}  // namespace platform
