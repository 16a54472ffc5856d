// bench_driver TOVREL.EXE EMPTY.EXE THEMED.EXE RUNS STARTUP-FOLDER EMPTY-CONSOLE.EXE
// Prints, one figure a line: the median time from process creation until
// tovrel's window is visible with the add-in's state shown, the same for a
// program that only opens an empty window and for one that also shows one
// themed button, the ratios, and the median time of one enable plus one
// disable pressed in tovrel's window. Then where start-up goes, seen from
// outside through the window events Windows raises for each program: until
// its first window is made, its main window made, and ready. Then "tovrel
// /status" from process creation until it has ended, beside a console program
// that does nothing. Last, what tovrel costs while it waits: its looks at the
// copy's place.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
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
        for (MSG message; PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);) {
            DispatchMessageW(&message);  // and the window events with it
        }
    }
    return true;
}

bool HasText(HWND control) {
    return GetWindowTextLengthW(control) > 0;
}

// A program's start-up as the window events of its process show it, in ms
// from just before the process was made: its first window made (Wine's
// window system set up), and its main window (of its class) made. (Wine
// raises no EVENT_OBJECT_SHOW across processes: "ready" is seen by looking.)
struct Marks {
    double firstWindow = -1, mainMade = -1;
};
struct Watch {
    double start = 0;
    const wchar_t* mainClass = L"";
    HWND main = nullptr;
    Marks marks;
} watch;

void CALLBACK NoteEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD,
                        DWORD) {
    if (object != OBJID_WINDOW || child != CHILDID_SELF || !window) {
        return;
    }
    const double ms = Now() - watch.start;
    wchar_t name[64] = L"";
    GetClassNameW(window, name, 64);
    const bool main =
        wcscmp(name, watch.mainClass) == 0 && GetAncestor(window, GA_PARENT) == GetDesktopWindow();
    if (event == EVENT_OBJECT_CREATE && watch.marks.firstWindow < 0) {
        watch.marks.firstWindow = ms;
    }
    if (event == EVENT_OBJECT_CREATE && main && !watch.main) {
        watch.main = window;
        watch.marks.mainMade = ms;
    }
}

struct Started {
    std::unique_ptr<support::Process> process;
    HWND window = nullptr;
    double milliseconds = 0;
    Marks marks;
};

struct Phases {
    std::vector<double> firstWindow, mainMade, ready;
    void Add(const Marks& m, double ready) {
        firstWindow.push_back(m.firstWindow);
        mainMade.push_back(m.mainMade);
        this->ready.push_back(ready);
    }
};

void PrintPhases(const char* what, const Phases& p) {
    printf("  %s: first window made %.1f, main window made %.1f, ready %.1f\n", what,
           Median(p.firstWindow), Median(p.mainMade), Median(p.ready));
}

// Starts `exe` and waits until its window titled `title` (of class
// `mainClass`) is visible and `ready` holds for it, noting the window events of
// its process meanwhile: the process is made suspended, watched, then let go.
// The process is ended when the result goes.
Started Start(const std::wstring& exe, const wchar_t* title, const wchar_t* mainClass,
              const std::function<bool(HWND)>& ready) {
    Started s;
    const double start = Now();
    watch = Watch{start, mainClass, nullptr, {}};
    s.process = std::make_unique<support::Process>(exe, L"\"" + exe + L"\"", nullptr, nullptr,
                                                   /*suspended=*/true);
    const HWINEVENTHOOK hook =
        SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_CREATE, nullptr, NoteEvent,
                        s.process->id(), 0, WINEVENT_OUTOFCONTEXT);
    s.process->Resume();
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
    WaitFor([] { return watch.marks.mainMade >= 0; }, 1000);  // events still queued
    UnhookWinEvent(hook);
    s.marks = watch.marks;
    if (!shown) {
        fwprintf(stderr, L"bench: the window of %ls did not appear\n", exe.c_str());
        ExitProcess(1);
    }
    return s;
}

// From process creation until the program has ended, its output going to NUL,
// as a script's that only reads the exit code.
double StartToExit(const std::wstring& exe, const std::wstring& arguments) {
    const platform::KernelHandle nul(
        CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
    const double start = Now();
    const support::Process process(exe, L"\"" + exe + L"\" " + arguments, nul.get(), nul.get());
    if (!process.WaitForExit(30000)) {
        fwprintf(stderr, L"bench: %ls did not end\n", exe.c_str());
        ExitProcess(1);
    }
    return Now() - start;
}

bool StateShown(HWND window) {
    return HasText(GetDlgItem(window, window::id::lblUp)) ||
           HasText(GetDlgItem(window, window::id::lblDown));
}

// The processor time the program started as `exe` has used, in ms, as Linux
// counts it (/proc, which Wine shows as Z:\proc): Wine's GetProcessTimes
// answers with the asking process's own time for another. The program is the
// process whose command line starts with `exe`, in Windows' spelling or
// Linux's; -1 when there is none.
double ProcessorMs(const std::wstring& exe) {
    const auto read = [](const std::wstring& path) {
        std::ifstream file(path.c_str(), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    };
    // "Z:\a\b" and "/a/b" alike as "\a\b": Z: is Linux's root.
    const auto spelled = [](std::string path) {
        std::replace(path.begin(), path.end(), '/', '\\');
        std::transform(path.begin(), path.end(), path.begin(), ::tolower);
        return path.starts_with("z:") ? path.substr(2) : path;
    };
    const std::string wanted = spelled(std::string(exe.begin(), exe.end()));
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW(L"Z:\\proc\\*", &found);
    double ms = -1;
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &found)) {
        const std::wstring folder = std::wstring(L"Z:\\proc\\") + found.cFileName;
        const std::string command = read(folder + L"\\cmdline");
        if (!iswdigit(found.cFileName[0]) ||
            spelled(command.substr(0, command.find('\0'))) != wanted) {
            continue;
        }
        // Fields 14 and 15 (user and system time, in ticks of 10 ms), counted
        // from the third, which follows the name in parentheses.
        const std::string stat = read(folder + L"\\stat");
        std::istringstream fields(stat.substr(stat.rfind(')') + 2));
        std::string field;
        long long ticks = 0;
        for (int n = 3; n <= 15 && fields >> field; ++n) {
            if (n >= 14) {
                ticks += std::stoll(field);
            }
        }
        ms = 10.0 * static_cast<double>(ticks);
    }
    if (search != INVALID_HANDLE_VALUE) {
        FindClose(search);
    }
    return ms;
}

// For `seconds`: the share of one core `exe` used while `meanwhile` runs
// over and over (or nothing happens), and, with `ask`, the longest `window`
// took to answer WM_NULL, asked from another thread every 20 ms. Answering
// costs a little too, so an idle program is not asked.
struct Cost {
    double share = 0, longestAnswerMs = 0;
    int rounds = 0;
};
Cost CostWhile(const std::wstring& exe, HWND window, double seconds,
               const std::function<void()>& meanwhile, bool ask) {
    Cost cost;
    volatile bool done = !ask;
    std::thread asker([&] {
        while (!done) {
            const double asked = Now();
            DWORD_PTR ignored = 0;
            SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &ignored);
            cost.longestAnswerMs = std::max(cost.longestAnswerMs, Now() - asked);
            Sleep(20);
        }
    });
    const double start = Now(), used = ProcessorMs(exe);
    while (Now() - start < seconds * 1000) {
        if (meanwhile) {
            meanwhile();
            ++cost.rounds;
        } else {
            Sleep(10);
        }
    }
    cost.share = (ProcessorMs(exe) - used) / (Now() - start);
    done = true;
    asker.join();
    return cost;
}

}  // namespace

bool ButtonShown(HWND window) {
    HWND button = GetDlgItem(window, 100);
    return button && IsWindowVisible(button);
}

int wmain(int argc, wchar_t** argv) {
    if (argc != 7) {
        return 2;
    }
    const std::wstring tovrel = argv[1], emptyExe = argv[2], themedExe = argv[3];
    const std::wstring emptyConsole = argv[6];
    const int runs = std::max(1, _wtoi(argv[4]));
    const wchar_t kTitle[] = L"Quorlen设置";
    const auto any = [](HWND) { return true; };
    Phases tovrelPhases, emptyPhases, themedPhases;
    std::vector<double> cycles;
    // Each run starts the three in turn, each ending before the next starts,
    // and the next run begins one further on: none always follows the same.
    const auto timed = [&](const std::wstring& exe, const wchar_t* title, const wchar_t* mainClass,
                           const std::function<bool(HWND)>& ready, Phases& phases, bool keep) {
        const Started s = Start(exe, title, mainClass, ready);
        if (keep) {
            phases.Add(s.marks, s.milliseconds);
        }
    };
    const std::function<void(bool)> programs[] = {
        [&](bool keep) { timed(tovrel, kTitle, L"#32770", StateShown, tovrelPhases, keep); },
        [&](bool keep) {
            timed(emptyExe, L"tovrel-bench-empty", L"tovrel-bench-empty", any, emptyPhases, keep);
        },
        [&](bool keep) {
            timed(themedExe, L"tovrel-bench-themed", L"tovrel-bench-themed", ButtonShown,
                  themedPhases, keep);
        },
    };
    // Warm all up once so that none pays for loading Wine's DLLs cold.
    for (int i = -1; i < runs; ++i) {
        for (int k = 0; k < 3; ++k) {
            programs[(std::max(i, 0) + k) % 3](i >= 0);
        }
    }

    // Each run times both, taking turns at going first.
    std::vector<double> status, console;
    for (int i = -1; i < runs; ++i) {
        double tovrelMs = 0, emptyMs = 0;
        if (i % 2 == 0) {
            tovrelMs = StartToExit(tovrel, L"/status");
            emptyMs = StartToExit(emptyConsole, L"");
        } else {
            emptyMs = StartToExit(emptyConsole, L"");
            tovrelMs = StartToExit(tovrel, L"/status");
        }
        if (i >= 0) {
            status.push_back(tovrelMs);
            console.push_back(emptyMs);
        }
    }

    Started app = Start(tovrel, kTitle, L"#32770", StateShown);
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
    Sleep(1000);  // for the last switch's looks to end
    const Cost idle = CostWhile(tovrel, app.window, 10, nullptr, false);
    app.process.reset();

    const double a = Median(tovrelPhases.ready), b = Median(emptyPhases.ready),
                 c = Median(themedPhases.ready);
    printf("start-up of tovrel.exe, median of %d: %.1f ms\n", runs, a);
    printf("start-up of an empty window, median of %d: %.1f ms\n", runs, b);
    printf("start-up of an empty window with one themed button, median of %d: %.1f ms\n", runs, c);
    printf("start-up ratio tovrel / empty window: %.2f\n", a / b);
    printf("start-up ratio tovrel / themed empty window: %.2f\n", a / c);
    printf("one enable plus one disable, median of %d: %.1f ms\n", runs, Median(cycles));
    printf("where start-up goes, seen from outside, medians of %d in ms from process creation:\n",
           runs);
    PrintPhases("tovrel", tovrelPhases);
    PrintPhases("empty window", emptyPhases);
    PrintPhases("themed empty window", themedPhases);
    printf("from the first window until ready, ratio tovrel / themed empty window: %.2f\n",
           (a - Median(tovrelPhases.firstWindow)) / (c - Median(themedPhases.firstWindow)));
    printf("tovrel /status from start to exit, median of %d: %.1f ms\n", runs, Median(status));
    printf("an empty console program from start to exit, median of %d: %.1f ms\n", runs,
           Median(console));
    printf("ratio tovrel /status / empty console program: %.2f\n",
           Median(status) / Median(console));
    printf(
        "idle for 10 s, looking at the copy's place now and then: tovrel used %.2f %% of a "
        "core (at most 0.1 %% is allowed)\n",
        100 * idle.share);
    return 0;
}
