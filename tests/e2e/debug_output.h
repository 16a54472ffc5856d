// The lines a running program writes with OutputDebugString, read by a thread
// of the test that attaches to it as its debugger, as support's would.
#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace e2e {

class DebugOutput {
public:
    // Attaches to the process; raises std::runtime_error when it cannot.
    explicit DebugOutput(DWORD processId);
    ~DebugOutput();  // detaches; the program runs on
    DebugOutput(const DebugOutput&) = delete;
    DebugOutput& operator=(const DebugOutput&) = delete;

    // The lines so far, as written, in the ANSI code page.
    std::vector<std::string> Lines() const;

private:
    void Debug(DWORD processId);

    enum State { kAttaching, kAttached, kFailed, kStopping };
    std::atomic<int> state_{kAttaching};
    mutable std::mutex mutex_;
    std::vector<std::string> lines_;
    std::thread thread_;  // the debugger: only the thread that attached may wait and detach
};

}  // namespace e2e
