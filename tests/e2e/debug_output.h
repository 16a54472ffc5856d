// The lines a running program writes with OutputDebugString, read as DebugView
// reads them: through the shared buffer that OutputDebugString fills when no
// debugger is attached. Not as the program's debugger: under Wine, attaching
// at times never returns when a thread of the program starts or ends meanwhile.
#pragma once

#include <windows.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/handles.h"

namespace e2e {

class DebugOutput {
public:
    // Listens from now on to the lines of the process `processId`; raises
    // std::runtime_error when it cannot.
    explicit DebugOutput(DWORD processId);
    ~DebugOutput();
    DebugOutput(const DebugOutput&) = delete;
    DebugOutput& operator=(const DebugOutput&) = delete;

    // The lines so far, as written, in the ANSI code page.
    std::vector<std::string> Lines() const;

private:
    void Listen();

    DWORD processId_;
    platform::KernelHandle bufferReady_, dataReady_, buffer_, stop_;
    const char* view_ = nullptr;
    mutable std::mutex mutex_;
    std::vector<std::string> lines_;
    std::thread thread_;
};

}  // namespace e2e
