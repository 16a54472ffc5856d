// bench_driver TOVREL.EXE EMPTY.EXE THEMED.EXE RUNS
// Prints, one figure a line: the median time from process creation until
// tovrel's window is visible with the add-in's state shown, the same for a
// program that only opens an empty window and for one that also shows one
// themed button, the ratios, and the median time of one enable plus one
// disable pressed in tovrel's window.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/process.h"
#include "window/control_ids.h"

namespace {

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

bool WaitFor(const std::function<bool()>& condition, double timeoutMs = 30000) {
    const double start = Now();
    while (!condition()) {
        if (Now() - start > timeoutMs) {
            return false;
        }
        Sleep(1);
    }
    return true;
}

bool HasText(HWND control) {
    return GetWindowTextLengthW(control) > 0;
}

struct Started {
    std::unique_ptr<support::Process> process;
    HWND window = nullptr;
    double milliseconds = 0;
};

// Starts `exe` and waits until its window titled `title` is visible and
// `ready` holds for it. The process is ended when the result goes.
Started Start(const std::wstring& exe, const wchar_t* title,
              const std::function<bool(HWND)>& ready) {
    Started s;
    const double start = Now();
    s.process = std::make_unique<support::Process>(exe);
    const bool shown = WaitFor([&] {
        HWND window = FindWindowW(nullptr, title);
        DWORD owner = 0;
        if (window) {
            GetWindowThreadProcessId(window, &owner);
        }
        if (owner == s.process->id() && IsWindowVisible(window) && ready(window)) {
            s.window = window;
            return true;
        }
        return false;
    });
    s.milliseconds = Now() - start;
    if (!shown) {
        fwprintf(stderr, L"bench: the window of %ls did not appear\n", exe.c_str());
        ExitProcess(1);
    }
    return s;
}

bool StateShown(HWND window) {
    return HasText(GetDlgItem(window, window::id::lblUp)) ||
           HasText(GetDlgItem(window, window::id::lblDown));
}

}  // namespace

bool ButtonShown(HWND window) {
    HWND button = GetDlgItem(window, 100);
    return button && IsWindowVisible(button);
}

int wmain(int argc, wchar_t** argv) {
    if (argc != 5) {
        return 2;
    }
    const int runs = std::max(1, _wtoi(argv[4]));
    const wchar_t kTitle[] = L"Quorlen设置";
    std::vector<double> program, empty, themed, cycles;
    // Warm all up once so that none pays for loading Wine's DLLs cold.
    for (int i = -1; i < runs; ++i) {
        // Each ends before the next starts: the temporary goes with its statement.
        const double a = Start(argv[1], kTitle, StateShown).milliseconds;
        const double b =
            Start(argv[2], L"tovrel-bench-empty", [](HWND) { return true; }).milliseconds;
        const double c = Start(argv[3], L"tovrel-bench-themed", ButtonShown).milliseconds;
        if (i >= 0) {
            program.push_back(a);
            empty.push_back(b);
            themed.push_back(c);
        }
    }

    Started app = Start(argv[1], kTitle, StateShown);
    HWND up = GetDlgItem(app.window, window::id::cmdUp);
    HWND down = GetDlgItem(app.window, window::id::cmdDown);
    HWND lblUp = GetDlgItem(app.window, window::id::lblUp);
    HWND lblDown = GetDlgItem(app.window, window::id::lblDown);
    for (int i = -1; i < runs; ++i) {
        const double start = Now();
        // The refresh sets lblDown's caption last: a state counts as shown
        // once every part of it is.
        PostMessageW(up, BM_CLICK, 0, 0);
        const bool enabled = WaitFor([&] {
            return HasText(lblUp) && !HasText(lblDown) && IsWindowEnabled(down) &&
                   !IsWindowEnabled(up);
        });
        PostMessageW(down, BM_CLICK, 0, 0);
        const bool disabled = WaitFor([&] {
            return !HasText(lblUp) && HasText(lblDown) && !IsWindowEnabled(down) &&
                   IsWindowEnabled(up);
        });
        if (!enabled || !disabled) {
            fwprintf(stderr, L"bench: a switch did not show its new state\n");
            return 1;
        }
        if (i >= 0) {
            cycles.push_back(Now() - start);
        }
    }
    app.process.reset();

    const double a = Median(program), b = Median(empty), c = Median(themed);
    printf("start-up of tovrel.exe, median of %d: %.1f ms\n", runs, a);
    printf("start-up of an empty window, median of %d: %.1f ms\n", runs, b);
    printf("start-up of an empty window with one themed button, median of %d: %.1f ms\n", runs, c);
    printf("start-up ratio tovrel / empty window: %.2f\n", a / b);
    printf("start-up ratio tovrel / themed empty window: %.2f\n", a / c);
    printf("one enable plus one disable, median of %d: %.1f ms\n", runs, Median(cycles));
    return 0;
}
