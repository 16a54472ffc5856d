#include "tests/support/import_slot.h"

#include <cstring>
#include <stdexcept>
#include <string>

namespace support {

namespace {

ULONG_PTR* SlotOf(const char* dllName, const char* function) {
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
    const auto& nt = *reinterpret_cast<IMAGE_NT_HEADERS*>(
        base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    auto* dll = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(
        base + nt.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress);
    for (; dll->Name; ++dll) {
        if (_stricmp(reinterpret_cast<char*>(base + dll->Name), dllName) != 0) {
            continue;
        }
        auto* named = reinterpret_cast<IMAGE_THUNK_DATA*>(base + dll->OriginalFirstThunk);
        auto* bound = reinterpret_cast<IMAGE_THUNK_DATA*>(base + dll->FirstThunk);
        for (; named->u1.AddressOfData; ++named, ++bound) {
            if (!IMAGE_SNAP_BY_ORDINAL(named->u1.Ordinal) &&
                std::strcmp(
                    reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + named->u1.AddressOfData)->Name,
                    function) == 0) {
                return &bound->u1.Function;
            }
        }
    }
    throw std::runtime_error(std::string("the test exe does not import ") + function);
}

}  // namespace

ImportSwap::ImportSwap(const char* dll, const char* function, const void* replacement)
    : slot_(SlotOf(dll, function)), original_(*slot_) {
    DWORD protection = 0;
    VirtualProtect(slot_, sizeof *slot_, PAGE_READWRITE, &protection);
    *slot_ = reinterpret_cast<ULONG_PTR>(replacement);
}

ImportSwap::~ImportSwap() {
    *slot_ = original_;
}

}  // namespace support
