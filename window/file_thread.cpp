#include "window/file_thread.h"

namespace window {

using placement::SwitchOutcome;
using platform::Presence;

namespace {

// How often the window looks at the copy's place unasked: what happens there
// shows within about a second, at the cost of one file opened and closed.
constexpr DWORD kLookEveryMs = 750;

}  // namespace

FileThread::~FileThread() {
    if (thread_) {
        SetEvent(stop_.get());
        WaitForSingleObject(thread_.get(), INFINITE);
    }
}

bool FileThread::Start(const placement::TemplateLocations& locations, HWND window) {
    locations_ = locations;
    window_ = window;
    wake_.reset(CreateEventW(nullptr, FALSE, TRUE, nullptr));  // the first look at once
    stop_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    firstAnswer_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (wake_ && stop_ && firstAnswer_) {
        thread_.reset(CreateThread(nullptr, 0, Working, this, 0, nullptr));
    }
    return static_cast<bool>(thread_);
}

bool FileThread::WaitForFirstAnswer(DWORD ms) const {
    return WaitForSingleObject(firstAnswer_.get(), ms) == WAIT_OBJECT_0;
}

void FileThread::Look() {
    SetEvent(wake_.get());
}

void FileThread::Press(bool on) {
    InterlockedExchange(&press_, on ? 2 : 1);
    SetEvent(wake_.get());
}

DWORD WINAPI FileThread::Working(void* self) {
    auto& work = *static_cast<FileThread*>(self);
    const HANDLE wake[] = {work.stop_.get(), work.wake_.get()};
    // The stop comes first when both are set; unasked, a look every while.
    for (DWORD woke;
         (woke = WaitForMultipleObjects(2, wake, FALSE, kLookEveryMs)) == WAIT_TIMEOUT ||
         woke == WAIT_OBJECT_0 + 1;) {
        const LONG press = InterlockedExchange(&work.press_, 0);
        if (press) {
            const SwitchOutcome outcome = press == 2 ? placement::Enable(work.locations_)
                                                     : placement::Disable(work.locations_);
            const Presence after = placement::IsInstalled(work.locations_.strDest);
            PostMessageW(work.window_, kPressed, static_cast<WPARAM>(outcome),
                         static_cast<LPARAM>(after));
            continue;
        }
        const Presence presence = placement::IsInstalled(work.locations_.strDest);
        PostMessageW(work.window_, kLooked, static_cast<WPARAM>(presence), 0);
        SetEvent(work.firstAnswer_.get());
    }
    return 0;
}

}  // namespace window
