// What the C++ library asks of a program built without exceptions, when it
// cannot go on (memory exhausted, a length beyond any string's). libstdc++'s
// own definitions would throw, and bring the whole exception machinery into
// the exe: the unwinder, a demangler, printf and the threads library. Here
// the program ends quietly, with no message box of the C runtime's. Linked
// into tovrel.exe only: the tests keep exceptions.
#include <cstdlib>
#include <new>

#include "platform/process.h"

void* operator new(std::size_t size) {
    if (void* memory = std::malloc(size ? size : 1)) {
        return memory;
    }
    platform::EndProgram(3);
}

void operator delete(void* memory) noexcept {
    std::free(memory);
}

void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}

namespace std {

void __throw_bad_alloc() {
    platform::EndProgram(3);
}
void __throw_bad_array_new_length() {
    platform::EndProgram(3);
}
void __throw_length_error(const char*) {
    platform::EndProgram(3);
}
void __throw_logic_error(const char*) {
    platform::EndProgram(3);
}
void __throw_out_of_range(const char*) {
    platform::EndProgram(3);
}
void __throw_out_of_range_fmt(const char*, ...) {
    platform::EndProgram(3);
}

}  // namespace std
