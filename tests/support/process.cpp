#include "tests/support/process.h"

#include <stdexcept>

namespace support {

Process::Process(const std::wstring& exe, const std::wstring& arguments, const std::wstring& folder,
                 int showCommand) {
    std::wstring command = L"\"" + exe + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (showCommand >= 0) {
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = static_cast<WORD>(showCommand);
    }
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &started)) {
        throw std::runtime_error("cannot start a program: error " + std::to_string(GetLastError()));
    }
    CloseHandle(started.hThread);
    process_.reset(started.hProcess);
    id_ = started.dwProcessId;
}

Process::~Process() {
    if (Running()) {
        TerminateProcess(process_.get(), 1);
        WaitForExit(10000);
    }
}

bool Process::Running() const {
    return WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT;
}

bool Process::WaitForExit(DWORD timeoutMs) const {
    return WaitForSingleObject(process_.get(), timeoutMs) == WAIT_OBJECT_0;
}

}  // namespace support
