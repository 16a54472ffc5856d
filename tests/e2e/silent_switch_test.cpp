// tovrel started with a switch, as a logon, deployment or detection script
// starts it: it ends without a window, with an exit code, the state on stdout
// and, when it fails, the window's own text and the failed steps on stderr.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/e2e/app_driver.h"
#include "tests/e2e/installation.h"
#include "tests/support/expected.h"
#include "tests/support/printable.h"

namespace {

using namespace support;
using namespace e2e;
using platform::KernelHandle;

constexpr DWORD kExitMs = 10000;
const std::string kUsage =
    "usage: tovrel [/enable | /disable | /status]\r\n"
    "switches the Quorlen add-in without a window and prints on, off or unknown;\r\n"
    "exit code 0 done, 1 off, 2 not switched, 3 cannot tell, 4 LocalSystem, 87 usage\r\n";

struct Pipe {
    KernelHandle read, write;
    Pipe() {
        HANDLE r = nullptr, w = nullptr;
        CreatePipe(&r, &w, nullptr, 0);
        read.reset(r);
        write.reset(w);
    }
    std::string Drain() {  // once the program has ended
        write.reset();
        std::string all;
        char buffer[4096];
        for (DWORD got = 0; ReadFile(read.get(), buffer, sizeof buffer, &got, nullptr) && got;) {
            all.append(buffer, got);
        }
        return all;
    }
};

struct Outcome {
    DWORD code = STILL_ACTIVE;  // when it did not end
    std::string out, err;
};

// tovrel after its quoted name, then `tail`, with *output as its stdout (a
// pipe when not given) and a pipe as its stderr.
Outcome RunTovrel(const Installation& installation, const std::wstring& tail,
                  const HANDLE* output = nullptr) {
    Pipe out, err;
    const Process process(installation.exe(), L"\"" + installation.exe() + L"\"" + tail,
                          output ? *output : out.write.get(), err.write.get());
    Outcome run;
    EXPECT_TRUE(process.WaitForExit(kExitMs)) << "expected tovrel to end, without a window";
    GetExitCodeProcess(process.handle(), &run.code);
    run.out = out.Drain();
    run.err = err.Drain();
    return run;
}

// --- each switch in each situation ------------------------------------------------

struct Stage {
    explicit Stage(bool withTemplate) : installation(kUsual, withTemplate) {}
    Installation installation;
    std::optional<HeldOpen> word;
};

void Refused(Stage& s) {  // a folder name code page 936 cannot spell
    s.installation.SetStartupPath(s.installation.startupFolder() + L"\\한\\");
}

TEST(SilentSwitch, EachSwitchAnswersAsTheWindowWould) {
    const auto copy = [](Stage& s) { s.installation.PutCopy(); };
    const struct {
        const char* name;
        std::function<void(Stage&)> arrange;
        bool withTemplate;
        const wchar_t* tail;
        DWORD code;
        const char* out;
        const std::wstring* message;  // on stderr, first
        const char* steps;            // on stderr, after it
        bool copyAfter;
    } rows[] = {
        {"status on", copy, true, L" /status", 0, "on", nullptr, "", true},
        {"status off", nullptr, true, L" /status", 1, "off", nullptr, "", false},
        {"enable", nullptr, true, L" /enable", 0, "on", nullptr, "", true},
        {"enable when on", copy, true, L" /enable", 0, "on", nullptr, "", true},
        {"disable", copy, true, L" /disable", 0, "off", nullptr, "", false},
        {"disable when off", nullptr, true, L" /disable", 0, "off", nullptr, "", false},
        {"disable while Word holds the copy",
         [](Stage& s) {
             s.installation.PutCopy();
             s.word.emplace(s.installation.copy());
         },
         true, L" /disable", 2, "on", &kNotDisabled, "tovrel: disable: delete: error 32\r\n", true},
        {"enable without the template", nullptr, false, L" /enable", 2, "off", &kNotEnabled,
         "tovrel: enable: copy: error 2\r\n", false},
        {"enable without the startup folder",
         [](Stage& s) { RemoveTree(s.installation.startupFolder()); }, true, L" /enable", 2, "off",
         &kNotEnabled, "tovrel: enable: copy: error 3\r\n", false},
        {"disable where the startup folder is tovrel's own",
         [](Stage& s) { s.installation.SetStartupPath(s.installation.programFolder() + L"\\"); },
         true, L" /disable", 2, "on", &kNotDisabled, "tovrel: disable: delete: error 5\r\n", false},
        {"status of a refused path", Refused, true, L" /status", 3, "unknown", nullptr,
         "tovrel: presence check: error 1113\r\n", false},
        {"enable on a refused path", Refused, true, L" /enable", 3, "unknown", &kNotEnabled,
         // the leftovers' clearing, the switch's own look, and the one after it
         "tovrel: enable: leftovers: error 1113\r\n"
         "tovrel: enable: same file: error 1113\r\ntovrel: presence check: error 1113\r\n"
         "tovrel: presence check: error 1113\r\n",
         false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Stage stage(row.withTemplate);
        if (row.arrange) {
            row.arrange(stage);
        }
        const Installation& installation = stage.installation;
        const std::wstring copyName = L"startup\\Startup\\quorlen.dot";
        Snapshot before = installation.Snap();
        const Outcome run = RunTovrel(installation, row.tail);
        EXPECT_EQ(run.code, row.code) << "exit code";
        EXPECT_EQ(run.out, row.out + std::string("\r\n")) << "stdout";
        const std::string message = row.message ? Ansi(*row.message) + "\r\n" : "";
        EXPECT_EQ(run.err, message + row.steps) << "stderr";
        EXPECT_EQ(Exists(installation.copy()), row.copyAfter) << "the copy afterwards";
        if (row.copyAfter) {
            EXPECT_EQ(ReadBytes(installation.copy()), installation.templateBytes());
        }
        Snapshot after = installation.Snap();
        before.erase(copyName);
        after.erase(copyName);
        EXPECT_EQ(DescribeChanges(before, after), L"") << "expected no other file touched";
    }
}

// --- where the output goes -------------------------------------------------------

enum class Channel { Pipe, File, None, BrokenPipe, ReadOnlyFile, FullDisk };

TEST(SilentSwitch, OutputReachesWhatItCanAndNeverChangesTheExitCode) {
    const struct {
        const char* name;
        Channel stdout_;
        std::wstring tail;
        DWORD code;
        std::string out, err;
    } rows[] = {
        {"a pipe", Channel::Pipe, L" /status", 0, "on\r\n", ""},
        {"a file", Channel::File, L" /status", 0, "on\r\n", ""},
        {"a name glued to its switch", Channel::File, L"/status", 0, "on\r\n", ""},
        {"the usage asked for", Channel::File, L" -?", 0, kUsage, ""},
        {"no stdout at all", Channel::None, L" /status", 0, "", ""},
        {"a pipe whose reader is gone", Channel::BrokenPipe, L" /status", 0, "", ""},
        {"a file opened for reading only", Channel::ReadOnlyFile, L" /status", 0, "", ""},
        {"a file on a full disk", Channel::FullDisk, L" /status", 0, "", ""},
        {"not understood", Channel::Pipe, L" /status /status", 87, "", kUsage},
        {"not understood, 32,000 characters", Channel::Pipe, L" /" + std::wstring(32000, L's'), 87,
         "", kUsage},
    };
    const Installation installation;
    installation.PutCopy();
    const ScratchFolder folder(L"stdout");
    const std::wstring disk = SmallDisk();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const bool full = row.stdout_ == Channel::FullDisk;
        if (full && disk.empty()) {
            fprintf(stderr,
                    "silent: no small disk is mounted (tests/support/small_disk.sh): %s "
                    "skipped\n",
                    row.name);
            continue;
        }
        const std::wstring path = (full ? disk : folder.path()) + L"\\out.txt";
        const DWORD access = row.stdout_ == Channel::ReadOnlyFile ? GENERIC_READ : GENERIC_WRITE;
        KernelHandle file(CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, CREATE_ALWAYS, 0, nullptr));
        if (full) {
            FillDisk(disk + L"\\filler");
        }
        Pipe pipe;
        HANDLE output = file.get();
        if (row.stdout_ == Channel::None) {
            output = nullptr;
        } else if (row.stdout_ == Channel::BrokenPipe) {
            pipe.read.reset();
            output = pipe.write.get();
        }
        const bool piped = row.stdout_ == Channel::Pipe;
        const Outcome run = RunTovrel(installation, row.tail, piped ? nullptr : &output);
        file.reset();
        EXPECT_EQ(run.code, row.code) << "exit code";
        EXPECT_EQ(piped ? run.out : ReadBytes(path), row.out) << "stdout";
        EXPECT_EQ(run.err, row.err) << "stderr";
        DeleteFileW(path.c_str());
        DeleteFileW((disk + L"\\filler").c_str());
    }
}

// A console gets Unicode, read back off its screen: the console tovrel is
// given, and its starter's when it is given none.
TEST(SilentSwitch, AConsoleGetsUnicode) {
    Stage stage(true);
    stage.installation.PutCopy();
    stage.word.emplace(stage.installation.copy());
    FreeConsole();
    ASSERT_TRUE(AllocConsole()) << "expected a console of the test's own";
    SetConsoleOutputCP(CP_UTF8);  // as after chcp 65001: ANSI bytes would come out garbled
    const KernelHandle screen(CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, 0, nullptr));
    CONSOLE_SCREEN_BUFFER_INFO info{};
    GetConsoleScreenBufferInfo(screen.get(), &info);
    const std::wstring lines[] = {L"on", kNotDisabled, L"tovrel: disable: delete: error 32"};
    SHORT row = 0;
    for (const HANDLE given : {screen.get(), HANDLE{}}) {
        SCOPED_TRACE(given ? "the console given" : "the starter's console");
        const std::wstring& exe = stage.installation.exe();
        const Process process(exe, L"\"" + exe + L"\" /disable", given, given);
        DWORD code = STILL_ACTIVE;
        EXPECT_TRUE(process.WaitForExit(kExitMs) && GetExitCodeProcess(process.handle(), &code));
        EXPECT_EQ(code, 2u) << "exit code";
        for (const std::wstring& line : lines) {
            std::wstring text(info.dwSize.X, L' ');
            DWORD read = 0;
            ReadConsoleOutputCharacterW(screen.get(), text.data(), info.dwSize.X, {0, row++},
                                        &read);
            text.erase(text.find_last_not_of(L' ') + 1);
            EXPECT_EQ(text, line) << "expected the line " << Utf8(line);
        }
    }
}

// --- racing instances --------------------------------------------------------------

// Sixteen at once, with a window open: each says what it left, at most the
// copy is left, and the window shows what is there.
TEST(SilentSwitch, RacingInstancesEachSayWhatTheyLeft) {
    const Installation installation;
    const Snapshot before = installation.Snap();
    auto app = installation.Start();
    const ScratchFolder outputs(L"outputs");
    struct Racer {
        bool enable;
        std::wstring path;
        std::unique_ptr<Process> process;
    };
    std::vector<Racer> racers;
    for (int i = 0; i < 16; ++i) {
        Racer racer{i % 2 == 0, outputs / std::to_wstring(i), nullptr};
        const KernelHandle file(CreateFileW(racer.path.c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                            nullptr, CREATE_ALWAYS, 0, nullptr));
        const std::wstring line = racer.enable ? L"\" /enable" : L"\" /disable";
        racer.process = std::make_unique<Process>(
            installation.exe(), L"\"" + installation.exe() + line, file.get(), file.get(),
            /*suspended=*/true);
        racers.push_back(std::move(racer));
    }
    for (const Racer& racer : racers) {
        racer.process->Resume();
    }
    for (const Racer& racer : racers) {
        DWORD code = STILL_ACTIVE;
        EXPECT_TRUE(racer.process->WaitForExit(kExitMs)) << "expected every racer to end";
        GetExitCodeProcess(racer.process->handle(), &code);
        const std::string out = ReadBytes(racer.path);
        const char* agreeing = code == 3 ? "unknown" : (code == 0) == racer.enable ? "on" : "off";
        EXPECT_TRUE(code == 0 || code == 2 || code == 3) << "exit code " << code;
        EXPECT_EQ(out.substr(0, out.find('\n') + 1), agreeing + std::string("\r\n"))
            << (racer.enable ? "/enable" : "/disable") << " exited with " << code;
    }
    const bool on = Exists(installation.copy());
    const std::wstring changes = DescribeChanges(before, installation.Snap());
    EXPECT_EQ(changes, on ? installation.CopyCreated() : L"") << "expected at most the copy left";
    if (on) {
        EXPECT_EQ(ReadBytes(installation.copy()), installation.templateBytes());
    }
    EXPECT_TRUE(WaitUntil(
        [&] {
            const Display d = app->ReadDisplay();
            return d.upRow == (on ? kOnRow : L"") && d.downRow == (on ? L"" : kOffRow);
        },
        2000))
        << "expected the window to show the add-in " << (on ? "on" : "off");
}

}  // namespace
