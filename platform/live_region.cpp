#include "platform/live_region.h"

#include <objbase.h>
#include <oleacc.h>

#include <algorithm>

#include "platform/later_windows.h"

namespace platform {

namespace {

// From Windows' UI Automation and accessibility headers, which MinGW's lack or
// declare without a definition.
constexpr GUID kLiveSettingProperty{
    0xc12bcd8e, 0x2a8e, 0x4950, {0x8a, 0xe7, 0x36, 0x25, 0x11, 0x1d, 0x58, 0xeb}};
constexpr LONG kPolite = 1;
constexpr CLSID kAccPropServices{
    0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
constexpr IID kIAccPropServices{
    0x6e26e776, 0x04f0, 0x495d, {0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69}};

}  // namespace

LiveRegions::~LiveRegions() {
    if (annotations_) {
        for (HWND label : marked_) {
            annotations_->ClearHwndProps(label, OBJID_CLIENT, CHILDID_SELF, &kLiveSettingProperty,
                                         1);
        }
        annotations_->Release();
    }
    if (initialised_) {
        if (const auto uninitialise = LATER_WINDOWS(L"ole32.dll", CoUninitialize)) {
            uninitialise();
        }
    }
}

void LiveRegions::Announce(HWND label) {
    if (std::find(marked_.begin(), marked_.end(), label) == marked_.end()) {
        Mark(label);
        marked_.push_back(label);
    }
    // After the mark, so that a screen reader asking at once finds it.
    NotifyWinEvent(later::kLiveRegionChanged, label, OBJID_CLIENT, CHILDID_SELF);
}

// The label's LiveSetting, by dynamic annotation. COM and the annotation
// service load only now: they would cost every start-up otherwise.
void LiveRegions::Mark(HWND label) {
    if (!started_) {
        started_ = true;
        LoadLibraryW(L"ole32.dll");  // stays loaded: COM's objects come from it
        const auto initialise = LATER_WINDOWS(L"ole32.dll", CoInitializeEx);
        const auto create = LATER_WINDOWS(L"ole32.dll", CoCreateInstance);
        if (!initialise || !create) {
            return;
        }
        // Already initialised otherwise on this thread, COM still serves.
        initialised_ = SUCCEEDED(initialise(nullptr, COINIT_APARTMENTTHREADED));
        if (FAILED(create(kAccPropServices, nullptr, CLSCTX_INPROC_SERVER, kIAccPropServices,
                          reinterpret_cast<void**>(&annotations_)))) {
            annotations_ = nullptr;
        }
    }
    if (annotations_) {
        VARIANT polite{};
        polite.vt = VT_I4;
        polite.lVal = kPolite;
        annotations_->SetHwndProp(label, OBJID_CLIENT, CHILDID_SELF, kLiveSettingProperty, polite);
    }
}

}  // namespace platform
