// Watches every folder on the way to a file, so that whatever changes what
// lies at the file's place is seen: names, folders and attributes changing in
// the file's own folder, and folders made, removed or moved in each folder
// above it, up to the drive's root or the share's (\\server\share\), never
// above. A folder on the way that is missing is seen when it comes, by the
// watch on the folder above it.
//
// The system's thread pool waits on the watches and calls back on one of its
// threads, so that nothing waits in the program's own loop.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "platform/handles.h"

namespace platform {

// The folders on the way to `file`, its own folder first, each with its final
// "\": the file's path made whole first (GetFullPathNameW: "." and "..", the
// current folder, "/"), so that each is the folder the file functions reach.
// Empty when the path cannot be made whole.
std::vector<std::wstring> FoldersOnTheWay(const std::wstring& file);

class FolderWatch {
public:
    using Changed = void (*)(void* context);

    FolderWatch() = default;
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;

    // Follows `file`: once Renew has watched, a change calls `changed` with
    // `context`, on a thread of the pool. Watches nothing yet.
    void Start(const std::wstring& file, Changed changed, void* context);

    // Watches anew where a change was seen since the last call (at first,
    // everywhere): the folder whose watch saw it is watched on, and every
    // folder below it may be another one now, so those are watched from their
    // names again. A watch that saw nothing stays as it is. May wait on a
    // network share that does not answer: never call it from the window's
    // thread.
    void Renew();

private:
    struct Level {
        std::wstring folder;
        DWORD changes = 0;
        FolderWatch* watch = nullptr;
        LONG seen = 0;  // a change was seen since the last Renew
        ChangeNotification notification;
        // After the notification, so that it goes first: no callback runs
        // once it is gone.
        RegisteredWait wait;
    };
    static void CALLBACK Signalled(void* level, BOOLEAN timedOut);
    static void Open(Level& level);
    static void Wait(Level& level);

    Changed changed_ = nullptr;
    void* context_ = nullptr;
    std::vector<Level> levels_;  // the file's folder first; never resized once started
};

}  // namespace platform
