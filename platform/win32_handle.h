// Owning wrappers for the kernel handles the platform layer opens, so that no
// path through a service leaks one.
#pragma once

#include <windows.h>

namespace platform {

template <class Traits>
class UniqueHandle {
public:
    explicit UniqueHandle(HANDLE handle) noexcept : handle_(handle) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() {
        if (*this) {
            Traits::Close(handle_);
        }
    }
    explicit operator bool() const noexcept { return handle_ != INVALID_HANDLE_VALUE && handle_; }
    HANDLE get() const noexcept { return handle_; }

private:
    HANDLE handle_;
};

struct FindTraits {
    static void Close(HANDLE handle) noexcept { FindClose(handle); }
};
struct FileTraits {
    static void Close(HANDLE handle) noexcept { CloseHandle(handle); }
};

using FindHandle = UniqueHandle<FindTraits>;
using FileHandle = UniqueHandle<FileTraits>;

}  // namespace platform
