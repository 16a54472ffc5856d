#include "platform/folder_watch.h"

namespace platform {

namespace {

// "C:\a\b\quorlen.dot" gives "C:\a\b\", that "C:\a\", that "C:\", and that "".
std::wstring FolderAbove(std::wstring path) {
    const size_t nameEnd = path.find_last_not_of(L"\\/");
    const size_t cut = nameEnd == std::wstring::npos ? nameEnd : path.find_last_of(L"\\/", nameEnd);
    path.resize(cut == std::wstring::npos ? 0 : cut + 1);
    return path;
}

}  // namespace

void FolderWatch::Start(const std::wstring& file, HWND window, UINT message) {
    file_ = file;
    window_ = window;
    message_ = message;
    Renew();
}

void FolderWatch::Renew() {
    // Let go first: a folder that is being removed goes only once no handle
    // holds it.
    contentsWait_.reset();
    placeWait_.reset();
    contents_.reset();
    place_.reset();
    InterlockedExchange(&posted_, 0);
    std::wstring folder = file_;
    Watch(
        contents_, contentsWait_, folder,
        FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME | FILE_NOTIFY_CHANGE_ATTRIBUTES);
    Watch(place_, placeWait_, folder, FILE_NOTIFY_CHANGE_DIR_NAME);
}

// Watches the nearest folder above `folder` that can be watched for `changes`;
// `folder` becomes that folder, or "" when there is none.
void FolderWatch::Watch(ChangeNotification& notification, RegisteredWait& wait,
                        std::wstring& folder, DWORD changes) {
    for (folder = FolderAbove(folder); !folder.empty(); folder = FolderAbove(folder)) {
        notification.reset(FindFirstChangeNotificationW(folder.c_str(), FALSE, changes));
        if (notification) {
            break;
        }
    }
    HANDLE registered = nullptr;
    // Once: a notification stays signalled until it is renewed. The callback
    // only posts, so the pool's wait thread runs it itself.
    if (notification &&
        RegisterWaitForSingleObject(&registered, notification.get(), Changed, this, INFINITE,
                                    WT_EXECUTEONLYONCE | WT_EXECUTEINWAITTHREAD)) {
        wait.reset(registered);
    }
}

void CALLBACK FolderWatch::Changed(void* context, BOOLEAN) {
    auto* watch = static_cast<FolderWatch*>(context);
    if (InterlockedExchange(&watch->posted_, 1) == 0) {
        PostMessageW(watch->window_, watch->message_, 0, 0);
    }
}

}  // namespace platform
