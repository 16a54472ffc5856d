#include "platform/folder_watch.h"

#include <utility>

namespace platform {

namespace {

// "C:\a\b\quorlen.dot" gives "C:\a\b\", that "C:\a\", that "C:\", and that "".
std::wstring FolderAbove(std::wstring path) {
    const size_t nameEnd = path.find_last_not_of(L"\\/");
    const size_t cut = nameEnd == std::wstring::npos ? nameEnd : path.find_last_of(L"\\/", nameEnd);
    path.resize(cut == std::wstring::npos ? 0 : cut + 1);
    return path;
}

// The nearest folder above `path` that can be watched for `changes`, watched;
// `path` becomes that folder, or "" when there is none.
ChangeNotification WatchAbove(std::wstring& path, DWORD changes) {
    for (path = FolderAbove(path); !path.empty(); path = FolderAbove(path)) {
        ChangeNotification watch(FindFirstChangeNotificationW(path.c_str(), FALSE, changes));
        if (watch) {
            return watch;
        }
    }
    return {};
}

}  // namespace

FolderWatch::FolderWatch(std::wstring file) : file_(std::move(file)) {
    Renew();
}

void FolderWatch::Renew() {
    // Let go first: a folder that is being removed goes only once no handle
    // holds it.
    contents_.reset();
    place_.reset();
    std::wstring folder = file_;
    contents_ = WatchAbove(folder, FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME |
                                       FILE_NOTIFY_CHANGE_ATTRIBUTES);
    place_ = WatchAbove(folder, FILE_NOTIFY_CHANGE_DIR_NAME);
    count_ = 0;
    for (const ChangeNotification* watch : {&contents_, &place_}) {
        if (*watch) {
            events_[count_++] = watch->get();
        }
    }
}

}  // namespace platform
