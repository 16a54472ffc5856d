// Tells a window, by a posted message, that what lies at a file's place may
// have changed: names, folders and attributes changing in the file's folder.
// While that folder cannot be watched (it is missing, or is a file), the
// nearest folder above it that can be is watched instead, so that its coming
// is seen too. The folder above the watched one is watched for folder names:
// a watch follows its folder when it is moved away, and a folder made anew in
// its place would go unseen.
//
// The system's thread pool waits on the watches and posts the message, so it
// arrives in whatever loop the window's thread runs: its own, a message
// box's, a menu's, or that of a move of the window.
#pragma once

#include <windows.h>

#include <string>

#include "platform/handles.h"

namespace platform {

class FolderWatch {
public:
    FolderWatch() = default;
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;

    // Watches the place of `file`; a change posts `message` to `window`. At
    // most one such message waits in the queue at a time: a storm of changes
    // costs one look.
    void Start(const std::wstring& file, HWND window, UINT message);

    // Watches anew, as the folder may have come or gone since; called when
    // the message is taken, after which the next change posts it again.
    void Renew();

private:
    static void CALLBACK Changed(void* watch, BOOLEAN timedOut);
    void Watch(ChangeNotification& notification, RegisteredWait& wait, std::wstring& folder,
               DWORD changes);

    std::wstring file_;
    HWND window_ = nullptr;
    UINT message_ = 0;
    LONG posted_ = 0;  // a message waits in the window's queue
    ChangeNotification contents_, place_;
    // Last, so that they go first: no callback runs once they are gone.
    RegisteredWait contentsWait_, placeWait_;
};

}  // namespace platform
