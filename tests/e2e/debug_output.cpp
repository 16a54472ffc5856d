#include "tests/e2e/debug_output.h"

#include <cstring>
#include <stdexcept>

namespace e2e {

namespace {

// The buffer: the writer's process ID, then the line, NUL-terminated.
constexpr DWORD kBufferSize = 4096;

}  // namespace

DebugOutput::DebugOutput(DWORD processId)
    : processId_(processId),
      bufferReady_(CreateEventW(nullptr, FALSE, FALSE, L"DBWIN_BUFFER_READY")),
      dataReady_(CreateEventW(nullptr, FALSE, FALSE, L"DBWIN_DATA_READY")),
      buffer_(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kBufferSize,
                                 L"DBWIN_BUFFER")),
      stop_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    if (buffer_) {
        view_ = static_cast<const char*>(MapViewOfFile(buffer_.get(), FILE_MAP_READ, 0, 0, 0));
    }
    if (!bufferReady_ || !dataReady_ || !view_ || !stop_) {
        throw std::runtime_error("cannot listen to the lines for a debugger");
    }
    thread_ = std::thread([this] { Listen(); });
}

DebugOutput::~DebugOutput() {
    SetEvent(stop_.get());
    thread_.join();
    UnmapViewOfFile(view_);
}

std::vector<std::string> DebugOutput::Lines() const {
    const std::lock_guard lock(mutex_);
    return lines_;
}

// One line at a time: a writer waits until the buffer is ready, fills it and
// says so.
void DebugOutput::Listen() {
    const HANDLE wake[] = {stop_.get(), dataReady_.get()};
    SetEvent(bufferReady_.get());
    while (WaitForMultipleObjects(2, wake, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) {
        DWORD writer = 0;
        std::memcpy(&writer, view_, sizeof writer);
        if (writer == processId_) {
            const char* text = view_ + sizeof writer;
            const std::lock_guard lock(mutex_);
            lines_.emplace_back(text, strnlen(text, kBufferSize - sizeof writer));
        }
        SetEvent(bufferReady_.get());
    }
}

}  // namespace e2e
