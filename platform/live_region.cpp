#include "platform/live_region.h"

#include <objbase.h>
#include <oleacc.h>

#include "platform/later_windows.h"

namespace platform {

namespace {

// From Windows' UI Automation and accessibility headers, which MinGW's lack or
// declare without a definition.
constexpr GUID kLiveSettingProperty{
    0xc12bcd8e, 0x2a8e, 0x4950, {0x8a, 0xe7, 0x36, 0x25, 0x11, 0x1d, 0x58, 0xeb}};
constexpr CLSID kAccPropServices{
    0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
constexpr IID kIAccPropServices{
    0x6e26e776, 0x04f0, 0x495d, {0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69}};

bool started = false;
void* annotations = nullptr;  // an IAccPropServices

}  // namespace

void AnnounceLiveRegion(HWND label) {
    if (!started) {  // loaded only now: COM would cost every start-up otherwise
        started = true;
        LoadLibraryW(L"ole32.dll");  // stays: COM's objects come from it
        const auto initialise = LATER_WINDOWS(L"ole32.dll", CoInitializeEx);
        const auto create = LATER_WINDOWS(L"ole32.dll", CoCreateInstance);
        if (initialise && create) {
            initialise(nullptr, COINIT_APARTMENTTHREADED);  // or already, otherwise: COM serves
            create(kAccPropServices, nullptr, CLSCTX_INPROC_SERVER, kIAccPropServices,
                   &annotations);
        }
    }
    if (annotations) {
        VARIANT polite{};
        polite.vt = VT_I4;
        polite.lVal = 1;  // LiveSetting Polite
        static_cast<IAccPropServices*>(annotations)
            ->SetHwndProp(label, OBJID_CLIENT, CHILDID_SELF, kLiveSettingProperty, polite);
    }
    // After the mark, so that a screen reader asking at once finds it.
    NotifyWinEvent(later::kLiveRegionChanged, label, OBJID_CLIENT, CHILDID_SELF);
}

}  // namespace platform
