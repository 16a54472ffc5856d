// Owners for every kind of handle the program opens, so that no way out of a
// function leaks one: kernel objects, searches, GDI objects, device contexts,
// windows, icons and hooks.
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
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
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

struct CloseKernelHandle {
    void operator()(HANDLE handle) const noexcept { CloseHandle(handle); }
};
struct CloseFind {
    void operator()(HANDLE handle) const noexcept { FindClose(handle); }
};
// GDI will not delete an object still selected into a device context:
// deselect it first.
struct DeleteGdiObject {
    void operator()(HGDIOBJ object) const noexcept { DeleteObject(object); }
};
// A device context from GetDC goes back to the window it came from.
struct ReleaseWindowDC {
    HWND window = nullptr;
    void operator()(HDC dc) const noexcept { ReleaseDC(window, dc); }
};
struct DestroyWindowHandle {
    void operator()(HWND window) const noexcept { DestroyWindow(window); }
};
struct DestroyIconHandle {
    void operator()(HICON icon) const noexcept { DestroyIcon(icon); }
};
struct UnhookWindowsHook {
    void operator()(HHOOK hook) const noexcept { UnhookWindowsHookEx(hook); }
};

using KernelHandle = Owned<HANDLE, CloseKernelHandle>;
using FindHandle = Owned<HANDLE, CloseFind>;
template <class Object = HGDIOBJ>
using GdiObject = Owned<Object, DeleteGdiObject>;
using WindowDC = Owned<HDC, ReleaseWindowDC>;  // WindowDC dc(GetDC(w), {w})
using OwnedWindow = Owned<HWND, DestroyWindowHandle>;
using IconHandle = Owned<HICON, DestroyIconHandle>;
using HookHandle = Owned<HHOOK, UnhookWindowsHook>;

}  // namespace platform
