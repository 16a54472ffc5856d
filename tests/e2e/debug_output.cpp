#include "tests/e2e/debug_output.h"

#include <stdexcept>

#include "tests/e2e/app_driver.h"

namespace e2e {

DebugOutput::DebugOutput(DWORD processId) : thread_([=, this] { Debug(processId); }) {
    if (!WaitUntil([&] { return state_ != kAttaching; }, 10000) || state_ != kAttached) {
        state_ = kStopping;
        thread_.join();
        throw std::runtime_error("cannot attach to the program as its debugger");
    }
}

DebugOutput::~DebugOutput() {
    state_ = kStopping;
    thread_.join();
}

std::vector<std::string> DebugOutput::Lines() const {
    const std::lock_guard lock(mutex_);
    return lines_;
}

void DebugOutput::Debug(DWORD processId) {
    if (!DebugActiveProcess(processId)) {
        state_ = kFailed;
        return;
    }
    DebugSetProcessKillOnExit(FALSE);
    int attaching = kAttaching;
    state_.compare_exchange_strong(attaching, kAttached);
    HANDLE process = nullptr;  // closed by the system when the debugger detaches
    while (state_ != kStopping) {
        DEBUG_EVENT event{};
        if (!WaitForDebugEvent(&event, 50)) {
            continue;
        }
        DWORD answer = DBG_CONTINUE;
        if (event.dwDebugEventCode == CREATE_PROCESS_DEBUG_EVENT) {
            process = event.u.CreateProcessInfo.hProcess;
            CloseHandle(event.u.CreateProcessInfo.hFile);
        } else if (event.dwDebugEventCode == LOAD_DLL_DEBUG_EVENT) {
            CloseHandle(event.u.LoadDll.hFile);
        } else if (event.dwDebugEventCode == EXCEPTION_DEBUG_EVENT &&
                   event.u.Exception.ExceptionRecord.ExceptionCode != EXCEPTION_BREAKPOINT) {
            answer = DBG_EXCEPTION_NOT_HANDLED;  // the program's own, for its own handlers
        } else if (event.dwDebugEventCode == OUTPUT_DEBUG_STRING_EVENT) {
            // WaitForDebugEvent hands over every line in ANSI: Windows 10 and
            // later raise it in UTF-16 first, for WaitForDebugEventEx alone.
            // Wine 8 has no WaitForDebugEventEx; its OutputDebugStringW turns
            // the line into ANSI and raises only that.
            std::string line(event.u.DebugString.nDebugStringLength, '\0');
            if (ReadProcessMemory(process, event.u.DebugString.lpDebugStringData, line.data(),
                                  line.size(), nullptr)) {
                const std::lock_guard lock(mutex_);
                lines_.push_back(line.substr(0, line.find('\0')));
            }
        }
        ContinueDebugEvent(event.dwProcessId, event.dwThreadId, answer);
    }
    DebugActiveProcessStop(processId);
}

}  // namespace e2e
