// Starts a program of the build and ends it by force if it is still running
// when the owner goes, so that no test leaves a process (or a copy) behind.
#pragma once

#include <windows.h>

#include <string>

#include "platform/handles.h"

namespace support {

class Process {
public:
    // Runs `exe` with `arguments` in `folder` (the current folder when empty),
    // with `showCommand` for its first window when given (as a shortcut set to
    // "Minimized" starts it); raises std::runtime_error when it cannot start.
    Process(const std::wstring& exe, const std::wstring& arguments = L"",
            const std::wstring& folder = L"", int showCommand = -1);
    // Runs `exe` with `commandLine` as it stands, the program's name spelled in
    // it as the caller likes, and `output` and `errors` (null: none) as its
    // standard output and error, as a script's redirection hands them over;
    // `suspended`, until Resume, so that several can start at one instant.
    Process(const std::wstring& exe, std::wstring commandLine, HANDLE output, HANDLE errors,
            bool suspended = false);
    void Resume() const { ResumeThread(thread_.get()); }
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    HANDLE handle() const { return process_.get(); }
    DWORD id() const { return id_; }
    bool Running() const;
    bool WaitForExit(DWORD timeoutMs) const;

private:
    void Start(const std::wstring& exe, std::wstring commandLine, const std::wstring& folder,
               const STARTUPINFOW& startup, DWORD flags = 0);

    platform::KernelHandle process_, thread_;
    DWORD id_ = 0;
};

}  // namespace support
