// What the C++ library asks of a program built without exceptions. Its
// templates call these when they cannot go on (memory exhausted, a length
// beyond any string's); libstdc++'s own definitions would throw, and bring
// the whole exception machinery into the exe: the unwinder, the demangler of
// its terminate handler, printf and the threads library. Here the program
// ends quietly instead, as the library itself does when built without
// exceptions, but with no message box of the C runtime's. Linked into
// tovrel.exe only: the tests keep exceptions.
#include <cstdlib>
#include <new>

#include "platform/process.h"

namespace {

[[noreturn]] void CannotGoOn() {
    platform::EndProgram(3);
}

}  // namespace

void* operator new(std::size_t size) {
    if (void* memory = std::malloc(size ? size : 1)) {
        return memory;
    }
    CannotGoOn();
}

void operator delete(void* memory) noexcept {
    std::free(memory);
}

void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}

namespace std {

void __throw_bad_alloc() {
    CannotGoOn();
}
void __throw_bad_array_new_length() {
    CannotGoOn();
}
void __throw_length_error(const char*) {
    CannotGoOn();
}
void __throw_logic_error(const char*) {
    CannotGoOn();
}
void __throw_out_of_range(const char*) {
    CannotGoOn();
}
void __throw_out_of_range_fmt(const char*, ...) {
    CannotGoOn();
}

}  // namespace std
