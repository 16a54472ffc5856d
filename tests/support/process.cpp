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
    Start(exe, command, folder, startup);
}

Process::Process(const std::wstring& exe, std::wstring commandLine, HANDLE output, HANDLE errors,
                 bool suspended) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = output;
    startup.hStdError = errors;
    for (HANDLE handle : {output, errors}) {
        SetHandleInformation(handle, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
    }
    Start(exe, commandLine, L"", startup, suspended ? CREATE_SUSPENDED : 0);
}

void Process::Start(const std::wstring& exe, std::wstring command, const std::wstring& folder,
                    const STARTUPINFOW& startup, DWORD flags) {
    PROCESS_INFORMATION started{};
    const BOOL inherit = (startup.dwFlags & STARTF_USESTDHANDLES) != 0;
    if (!CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, inherit, flags, nullptr,
                        folder.empty() ? nullptr : folder.c_str(),
                        const_cast<STARTUPINFOW*>(&startup), &started)) {
        throw std::runtime_error("cannot start a program: error " + std::to_string(GetLastError()));
    }
    thread_.reset(started.hThread);
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
