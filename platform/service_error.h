// The one kind of failure the runtime services report. It carries the Win32
// error code so that tests can tell failures apart; the program never shows it.
#pragma once

#include <stdexcept>

namespace platform {

class ServiceError : public std::runtime_error {
public:
    explicit ServiceError(unsigned long code)
        : std::runtime_error("runtime service failed"), code_(code) {}
    unsigned long code() const noexcept { return code_; }

private:
    unsigned long code_;
};

// Raises ServiceError for the calling thread's last Win32 error.
[[noreturn]] void RaiseLastError();

}  // namespace platform
