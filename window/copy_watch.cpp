#include "window/copy_watch.h"

#include "placement/template_switch.h"

namespace window {

using platform::Presence;

namespace {

// The least time between two looks, so that a storm of changes costs little.
constexpr DWORD kLookGapMs = 100;

}  // namespace

Presence (*CopyWatch::LookAt)(const std::wstring& copy) = &placement::IsInstalled;

CopyWatch::~CopyWatch() {
    if (thread_) {
        SetEvent(stop_.get());
        WaitForSingleObject(thread_.get(), INFINITE);
    }
}

bool CopyWatch::Start(const std::wstring& copy, HWND window, UINT answered) {
    copy_ = copy;
    window_ = window;
    answered_ = answered;
    lookAgain_.reset(CreateEventW(nullptr, FALSE, TRUE, nullptr));  // the first look at once
    stop_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    firstAnswer_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    watch_.Start(copy, Changed, this);
    if (lookAgain_ && stop_ && firstAnswer_) {
        thread_.reset(CreateThread(nullptr, 0, Looking, this, 0, nullptr));
    }
    return static_cast<bool>(thread_);
}

void CopyWatch::Look() {
    SetEvent(lookAgain_.get());
}

bool CopyWatch::WaitForFirstAnswer(DWORD ms) const {
    return WaitForSingleObject(firstAnswer_.get(), ms) == WAIT_OBJECT_0;
}

CopyWatch::Answer CopyWatch::Latest() const {
    const LONG answer = InterlockedCompareExchange(const_cast<LONG*>(&answer_), 0, 0);
    return {static_cast<Presence>(answer & 3), answer >> 2};
}

CopyWatch::Answer CopyWatch::Take() {
    InterlockedExchange(&posted_, 0);
    return Latest();
}

LONG CopyWatch::LooksBegun() const {
    return InterlockedCompareExchange(const_cast<LONG*>(&begun_), 0, 0);
}

void CopyWatch::Changed(void* context) {
    static_cast<CopyWatch*>(context)->Look();
}

DWORD WINAPI CopyWatch::Looking(void* context) {
    auto& watch = *static_cast<CopyWatch*>(context);
    const HANDLE wake[] = {watch.stop_.get(), watch.lookAgain_.get()};
    // The stop comes first when both are set.
    while (WaitForMultipleObjects(2, wake, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) {
        const LONG look = InterlockedIncrement(&watch.begun_);
        // Watched anew before looking, so that no change after the look goes
        // unseen.
        watch.watch_.Renew();
        const Presence presence = watch.Alone([&] { return LookAt(watch.copy_); });
        InterlockedExchange(&watch.answer_, look << 2 | static_cast<LONG>(presence));
        SetEvent(watch.firstAnswer_.get());
        if (InterlockedExchange(&watch.posted_, 1) == 0) {
            PostMessageW(watch.window_, watch.answered_, 0, 0);
        }
        if (WaitForSingleObject(watch.stop_.get(), kLookGapMs) == WAIT_OBJECT_0) {
            break;
        }
    }
    return 0;
}

}  // namespace window
