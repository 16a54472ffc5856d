#include "platform/folder_watch.h"

namespace platform {

namespace {

// How much of a whole path is its root, which no watch climbs above: "C:\",
// "\\server\share\", "\\?\C:\", "\\?\UNC\server\share\". Above a share's
// root a watch would wait on the server itself, and on Windows that may not
// answer for a minute.
size_t RootLength(const std::wstring& path) {
    size_t end = 0;    // after the prefix
    int segments = 1;  // of the root after it: a drive, or a server and its share
    if (path.starts_with(L"\\\\?\\UNC\\") || path.starts_with(L"\\\\.\\UNC\\")) {
        end = 8;
        segments = 2;
    } else if (path.starts_with(L"\\\\?\\") || path.starts_with(L"\\\\.\\")) {
        end = 4;
    } else if (path.starts_with(L"\\\\")) {
        end = 2;
        segments = 2;
    }
    for (; segments > 0; --segments) {
        end = path.find(L'\\', end);
        if (end == std::wstring::npos) {
            return path.size();
        }
        ++end;
    }
    return end;
}

}  // namespace

std::vector<std::wstring> FoldersOnTheWay(const std::wstring& file) {
    std::vector<std::wstring> folders;
    std::wstring whole(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetFullPathNameW(file.c_str(), static_cast<DWORD>(whole.size()), whole.data(), nullptr);
        if (length == 0) {
            return folders;
        }
        const bool fits = length < whole.size();
        whole.resize(length);
        if (fits) {
            break;
        }
    }
    const size_t root = RootLength(whole);
    for (size_t end = whole.find_last_of(L'\\'); end != std::wstring::npos && end + 1 >= root;
         end = end == 0 ? std::wstring::npos : whole.find_last_of(L'\\', end - 1)) {
        folders.push_back(whole.substr(0, end + 1));
        if (end + 1 == root) {
            break;
        }
    }
    return folders;
}

void FolderWatch::Start(const std::wstring& file, Changed changed, void* context) {
    changed_ = changed;
    context_ = context;
    const std::vector<std::wstring> folders = FoldersOnTheWay(file);
    levels_ = std::vector<Level>(folders.size());
    for (size_t i = 0; i < folders.size(); ++i) {
        levels_[i].folder = folders[i];
        levels_[i].changes = i == 0 ? FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME |
                                          FILE_NOTIFY_CHANGE_ATTRIBUTES
                                    : FILE_NOTIFY_CHANGE_DIR_NAME;
        levels_[i].watch = this;
    }
    if (!levels_.empty()) {
        levels_.back().seen = 1;  // so that the first Renew watches everywhere
    }
}

void FolderWatch::Renew() {
    size_t changedAt = 0;  // one above the highest level that saw a change
    for (size_t i = 0; i < levels_.size(); ++i) {
        if (InterlockedExchange(&levels_[i].seen, 0)) {
            changedAt = i + 1;
        }
    }
    if (changedAt == 0) {
        return;
    }
    // Let go first: a folder that is being removed goes only once no handle
    // holds it.
    Level& top = levels_[changedAt - 1];
    for (size_t i = 0; i + 1 < changedAt; ++i) {
        levels_[i].wait.reset();
        levels_[i].notification.reset();
    }
    top.wait.reset();
    if (!top.notification || !FindNextChangeNotification(top.notification.get())) {
        top.notification.reset();
        Open(top);
    }
    Wait(top);
    for (size_t i = changedAt - 1; i-- > 0;) {
        Open(levels_[i]);
        Wait(levels_[i]);
    }
}

void FolderWatch::Open(Level& level) {
    level.notification.reset(
        FindFirstChangeNotificationW(level.folder.c_str(), FALSE, level.changes));
}

// Once: a notification stays signalled until it is renewed. The callback only
// hands the change on, so the pool's wait thread runs it itself.
void FolderWatch::Wait(Level& level) {
    HANDLE registered = nullptr;
    if (level.notification &&
        RegisterWaitForSingleObject(&registered, level.notification.get(), Signalled, &level,
                                    INFINITE, WT_EXECUTEONLYONCE | WT_EXECUTEINWAITTHREAD)) {
        level.wait.reset(registered);
    }
}

void CALLBACK FolderWatch::Signalled(void* context, BOOLEAN) {
    auto& level = *static_cast<Level*>(context);
    InterlockedExchange(&level.seen, 1);
    level.watch->changed_(level.watch->context_);
}

}  // namespace platform
