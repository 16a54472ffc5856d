// Owners for every kind of handle the program opens.
#pragma once

#include <windows.h>

#include <utility>

namespace platform {

// Owns one handle and lets go of it with `Release` when it goes. Null and
// INVALID_HANDLE_VALUE both mean "none": Windows returns either, depending on
// the function.
template <class Handle, class Release>
class Owned {
public:
    Owned() noexcept = default;
    explicit Owned(Handle handle, Release release = {}) noexcept
        : handle_(handle), release_(std::move(release)) {}
    Owned(Owned&& other) noexcept
        : handle_(std::exchange(other.handle_, Handle{})), release_(other.release_) {}
    Owned& operator=(Owned&& other) noexcept {
        reset(std::exchange(other.handle_, Handle{}));
        release_ = other.release_;
        return *this;
    }
    ~Owned() { reset(); }

    Handle get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return IsSet(handle_); }
    void reset(Handle handle = Handle{}) noexcept {
        if (IsSet(handle_) && handle_ != handle) {
            release_(handle_);
        }
        handle_ = handle;
    }

private:
    static bool IsSet(Handle handle) noexcept {
        return handle != Handle{} && handle != reinterpret_cast<Handle>(INVALID_HANDLE_VALUE);
    }
    Handle handle_{};
    Release release_{};
};

template <auto Function>
struct Call {
    template <class Handle>
    void operator()(Handle handle) const noexcept {
        Function(handle);
    }
};

struct ReleaseWindowDC {
    HWND window = nullptr;
    void operator()(HDC dc) const noexcept { ReleaseDC(window, dc); }
};

using KernelHandle = Owned<HANDLE, Call<CloseHandle>>;
using FindHandle = Owned<HANDLE, Call<FindClose>>;
// GDI will not delete an object still selected into a device context:
// deselect it first.
template <class Object = HGDIOBJ>
using GdiObject = Owned<Object, Call<DeleteObject>>;
using WindowDC = Owned<HDC, ReleaseWindowDC>;  // WindowDC dc(GetDC(w), {w})
using OwnedWindow = Owned<HWND, Call<DestroyWindow>>;
using IconHandle = Owned<HICON, Call<DestroyIcon>>;
using HookHandle = Owned<HHOOK, Call<UnhookWindowsHookEx>>;

}  // namespace platform
