#include "platform/folder_watch.h"

#include <utility>

namespace platform {

FolderWatch::FolderWatch(std::wstring file) : file_(std::move(file)) {
    Renew();
}

void FolderWatch::Renew() {
    // Let go first: a folder that is being removed goes only once no handle
    // holds it.
    handle_.reset();
    constexpr DWORD kWatched =
        FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME | FILE_NOTIFY_CHANGE_ATTRIBUTES;
    // "C:\a\b\quorlen.dot": "C:\a\b\", then "C:\a\", then "C:\".
    std::wstring folder = file_;
    for (;;) {
        const size_t nameEnd = folder.find_last_not_of(L"\\/");
        const size_t cut =
            nameEnd == std::wstring::npos ? nameEnd : folder.find_last_of(L"\\/", nameEnd);
        if (cut == std::wstring::npos) {
            return;
        }
        folder.resize(cut + 1);
        handle_.reset(FindFirstChangeNotificationW(folder.c_str(), FALSE, kWatched));
        if (handle_) {
            return;
        }
    }
}

}  // namespace platform
