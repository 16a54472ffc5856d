// Redirects the calls this test exe makes to one function of a DLL, the
// product's code linked into it included, by the slot of its import table:
// a race staged this way is lost every time, not once in a while. The
// system's own calls are not redirected.
#pragma once

#include <windows.h>

namespace support {

class ImportSwap {
public:
    // From now on the exe's calls of `function` in `dll` go to `replacement`.
    ImportSwap(const char* dll, const char* function, const void* replacement);
    ~ImportSwap();  // the original back
    ImportSwap(const ImportSwap&) = delete;
    ImportSwap& operator=(const ImportSwap&) = delete;

    // The function the slot held before, for the replacement to call on.
    template <class Function>
    Function* original() const {
        return reinterpret_cast<Function*>(original_);
    }

private:
    ULONG_PTR* slot_;
    ULONG_PTR original_;
};

}  // namespace support
