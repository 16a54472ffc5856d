// Follows what lies at the copy's place while the window is open, without
// ever holding the window up. Looking (the folder watch renewed where it saw
// a change, then the presence check) runs on a thread of its own, one look at
// a time; changes seen meanwhile make one more look follow, at most ten a
// second. Each answer reaches the window as a posted message, at most one
// waiting at a time. A share whose server does not answer holds up only the
// look: the window goes on answering, and shows the state once it comes.
#pragma once

#include <windows.h>

#include <string>

#include "platform/files.h"
#include "platform/folder_watch.h"
#include "platform/handles.h"

namespace window {

class CopyWatch {
public:
    struct Answer {
        platform::Presence presence;
        LONG look;  // the order number of the look that gave it; 0: none yet
    };

    CopyWatch() = default;
    ~CopyWatch();  // waits for a look that runs
    CopyWatch(const CopyWatch&) = delete;
    CopyWatch& operator=(const CopyWatch&) = delete;

    // Follows `copy`: looks now, and after every change on the way to it, each
    // answer posting `answered` to `window`. False when Windows could not give
    // it a thread to look from.
    bool Start(const std::wstring& copy, HWND window, UINT answered);

    // Looks again, now or right after the look that runs.
    void Look();

    // Waits up to `ms` for the first look's answer; whether it came.
    bool WaitForFirstAnswer(DWORD ms) const;

    // The newest answer.
    Answer Latest() const;
    // The newest answer, for the message that told of it: the next answer
    // posts again.
    Answer Take();

    // How many looks have begun: an answer whose look is no higher began
    // before a look made now.
    LONG LooksBegun() const;

    // Runs `work` on the files at the copy's place while no look has the copy
    // open, and answers what it answers. A look's handle would keep a deleted
    // copy's name until it let go, and a copy could not be put in its place
    // meanwhile; Wine, which shows no pending delete, would take the copy for
    // still there. A look held up by a share that does not answer holds the
    // work up too, as the share would.
    template <class Work>
    auto Alone(Work work) {
        const platform::CriticalSection::Held held(files_);
        return work();
    }

    // The presence check each look makes. A seam for the tests, which stage a
    // share that does not answer by holding it up, as Windows holds up a file
    // call to a server that does not answer.
    static platform::Presence (*LookAt)(const std::wstring& copy);

private:
    static DWORD WINAPI Looking(void* watch);
    static void Changed(void* watch);

    std::wstring copy_;
    HWND window_ = nullptr;
    UINT answered_ = 0;
    LONG begun_ = 0;
    LONG answer_ = 0;  // look << 2 | presence
    LONG posted_ = 0;  // an answer waits in the window's queue
    platform::CriticalSection files_;
    platform::KernelHandle lookAgain_, stop_, firstAnswer_;
    // After the events its callbacks set, so that it goes first.
    platform::FolderWatch watch_;
    platform::KernelHandle thread_;
};

}  // namespace window
