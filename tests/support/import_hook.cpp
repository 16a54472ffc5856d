#include "tests/support/import_hook.h"

#include <cstring>
#include <stdexcept>
#include <string>

namespace support {

ImportHook::ImportHook(const char* module, const char* name, const void* replacement) {
    auto* const base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
    const auto* headers = reinterpret_cast<const IMAGE_NT_HEADERS*>(
        base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports =
        headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* dll = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         dll->Name != 0; ++dll) {
        if (_stricmp(reinterpret_cast<char*>(base + dll->Name), module) != 0) {
            continue;
        }
        // The names and the addresses the loader filled in, side by side.
        auto* named = reinterpret_cast<IMAGE_THUNK_DATA*>(base + dll->OriginalFirstThunk);
        auto* bound = reinterpret_cast<IMAGE_THUNK_DATA*>(base + dll->FirstThunk);
        for (; named->u1.AddressOfData != 0; ++named, ++bound) {
            if (IMAGE_SNAP_BY_ORDINAL(named->u1.Ordinal)) {
                continue;
            }
            const auto* byName =
                reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + named->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), name) == 0) {
                slot_ = reinterpret_cast<ULONG_PTR*>(&bound->u1.Function);
                original_ = *slot_;
                Put(reinterpret_cast<ULONG_PTR>(replacement));
                return;
            }
        }
    }
    throw std::runtime_error(std::string("the test exe imports no ") + module + "!" + name);
}

ImportHook::~ImportHook() {
    Put(original_);
}

void ImportHook::Put(ULONG_PTR function) {
    DWORD protection = 0;
    VirtualProtect(slot_, sizeof *slot_, PAGE_READWRITE, &protection);
    *slot_ = function;
    VirtualProtect(slot_, sizeof *slot_, protection, &protection);
}

}  // namespace support
