#include "tests/e2e/debug_output.h"

#include <chrono>
#include <stdexcept>

#include "tests/e2e/app_driver.h"

namespace e2e {

namespace {

// A line as the debuggee wrote it down: in UTF-16, or in the ANSI code page.
std::string LineOf(const std::string& bytes, bool utf16) {
    std::wstring text;
    if (utf16) {
        text.assign(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
    } else {
        text.resize(bytes.size());
        text.resize(MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()),
                                        text.data(), static_cast<int>(text.size())));
    }
    return Utf8(text.substr(0, text.find(L'\0')));
}

}  // namespace

DebugOutput::DebugOutput(DWORD processId) : processId_(processId) {
    thread_ = std::thread([this] { Debug(); });
    std::unique_lock lock(mutex_);
    attached_.wait_for(lock, std::chrono::seconds(10), [&] { return state_ != State::Attaching; });
    if (state_ == State::Attached) {
        return;
    }
    const std::string why =
        state_ == State::Failed ? "error " + std::to_string(attachError_) : "no answer";
    lock.unlock();
    Stop();
    throw std::runtime_error("cannot attach to the program as its debugger: " + why);
}

DebugOutput::~DebugOutput() {
    Stop();
}

void DebugOutput::Stop() {
    {
        const std::lock_guard lock(mutex_);
        if (state_ != State::Failed) {
            state_ = State::Stopping;
        }
    }
    thread_.join();
}

std::vector<std::string> DebugOutput::Lines() const {
    const std::lock_guard lock(mutex_);
    return lines_;
}

// A debugger that waits with WaitForDebugEvent gets each line in the ANSI code
// page. Windows 10 and later raise the line as written, in UTF-16, for a
// debugger that waits with WaitForDebugEventEx, and in ANSI for the others.
// Wine 8 has no WaitForDebugEventEx: its OutputDebugStringW turns the line into
// ANSI and raises only that (and puts it in Wine's own log under
// WINEDEBUG=+debugstr).
void DebugOutput::Debug() {
    const bool attached = DebugActiveProcess(processId_);
    {
        const std::lock_guard lock(mutex_);
        attachError_ = attached ? 0 : GetLastError();
        if (state_ == State::Attaching) {
            state_ = attached ? State::Attached : State::Failed;
        }
    }
    attached_.notify_all();
    if (!attached) {
        return;
    }
    DebugSetProcessKillOnExit(FALSE);  // the program outlives its debugger
    HANDLE process = nullptr;          // the debugger's handle, closed when it detaches
    for (;;) {
        {
            const std::lock_guard lock(mutex_);
            if (state_ == State::Stopping) {
                break;
            }
        }
        DEBUG_EVENT event{};
        if (!WaitForDebugEvent(&event, 50)) {
            continue;
        }
        DWORD answer = DBG_CONTINUE;
        switch (event.dwDebugEventCode) {
            case CREATE_PROCESS_DEBUG_EVENT:
                process = event.u.CreateProcessInfo.hProcess;
                CloseHandle(event.u.CreateProcessInfo.hFile);
                break;
            case LOAD_DLL_DEBUG_EVENT: CloseHandle(event.u.LoadDll.hFile); break;
            case EXCEPTION_DEBUG_EVENT:
                // The program's exceptions are for its own handlers; only the
                // break-in that attaching makes is the debugger's.
                if (event.u.Exception.ExceptionRecord.ExceptionCode != EXCEPTION_BREAKPOINT) {
                    answer = DBG_EXCEPTION_NOT_HANDLED;
                }
                break;
            case OUTPUT_DEBUG_STRING_EVENT: {
                const OUTPUT_DEBUG_STRING_INFO& info = event.u.DebugString;
                std::string bytes(info.nDebugStringLength * (info.fUnicode ? sizeof(wchar_t) : 1),
                                  '\0');
                SIZE_T read = 0;
                if (process && ReadProcessMemory(process, info.lpDebugStringData, bytes.data(),
                                                 bytes.size(), &read)) {
                    bytes.resize(read);
                    const std::lock_guard lock(mutex_);
                    lines_.push_back(LineOf(bytes, info.fUnicode));
                }
                break;
            }
        }
        ContinueDebugEvent(event.dwProcessId, event.dwThreadId, answer);
    }
    DebugActiveProcessStop(processId_);
}

}  // namespace e2e
