// GoogleTest's main with one switch of tovrel's own: --as-windows-xp stages
// Windows XP through this exe's import of GetProcAddress, which then finds no
// function of later Windows (ntdll's, which XP has too, aside), so that the
// product's code linked in here runs through the paths XP takes.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "tests/support/as_windows_xp.h"
#include "tests/support/import_slot.h"

namespace {

std::unique_ptr<support::ImportSwap> lookUp;

FARPROC WINAPI LookUpAsOnWindowsXp(HMODULE module, LPCSTR name) {
    if (module != GetModuleHandleW(L"ntdll.dll")) {
        return nullptr;
    }
    return lookUp->original<decltype(GetProcAddress)>()(module, name);
}

}  // namespace

bool support::AsWindowsXp() {
    return lookUp != nullptr;
}

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--as-windows-xp") == 0) {
            lookUp = std::make_unique<support::ImportSwap>(
                "kernel32.dll", "GetProcAddress",
                reinterpret_cast<const void*>(&LookUpAsOnWindowsXp));
        }
    }
    return RUN_ALL_TESTS();
}
