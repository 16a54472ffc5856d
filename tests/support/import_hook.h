// Puts a test's own function in the place of one the test exe imports by
// name, for as long as the hook lives: the program's code linked into the exe
// then calls it instead, at exactly the moment it would call the original.
#pragma once

#include <windows.h>

namespace support {

class ImportHook {
public:
    // Raises std::runtime_error when the exe imports no `name` from `module`.
    ImportHook(const char* module, const char* name, const void* replacement);
    ~ImportHook();
    ImportHook(const ImportHook&) = delete;
    ImportHook& operator=(const ImportHook&) = delete;

    // The imported function itself, as `Function`.
    template <class Function>
    Function original() const {
        return reinterpret_cast<Function>(original_);
    }

private:
    void Put(ULONG_PTR function);

    ULONG_PTR* slot_ = nullptr;
    ULONG_PTR original_ = 0;
};

}  // namespace support
