// What a running program writes for a debugger with OutputDebugString, read
// by a thread of the test that attaches to it as its debugger, as a support
// engineer's debugger would.
#pragma once

#include <windows.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace e2e {

class DebugOutput {
public:
    // Attaches to the process; raises std::runtime_error when it cannot.
    explicit DebugOutput(DWORD processId);
    // Detaches again; the program runs on.
    ~DebugOutput();
    DebugOutput(const DebugOutput&) = delete;
    DebugOutput& operator=(const DebugOutput&) = delete;

    // The lines so far, in the order written, as UTF-8.
    std::vector<std::string> Lines() const;

private:
    void Debug();
    void Stop();

    const DWORD processId_;
    mutable std::mutex mutex_;
    std::condition_variable attached_;
    enum class State { Attaching, Attached, Failed, Stopping } state_ = State::Attaching;
    DWORD attachError_ = 0;
    std::vector<std::string> lines_;
    std::thread thread_;  // the debugger: only the thread that attached may wait and detach
};

}  // namespace e2e
