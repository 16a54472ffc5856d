// What each file service answers, the Win32 error included: the switch passes
// that error on to a debugger, and a refusal must never read as done.
#include "platform/files.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "tests/support/scratch_folder.h"

using namespace support;
using platform::Presence;
using platform::Sameness;

namespace {

std::string CannotTell(DWORD error) {
    return "cannot tell, error " + std::to_string(error);
}
std::string Error(DWORD error) {
    return error == ERROR_SUCCESS ? "done" : "error " + std::to_string(error);
}

// The answer, with the thread's last error read at once where it holds the
// reason.
std::string Told(Presence presence) {
    return presence == Presence::On    ? "on"
           : presence == Presence::Off ? "off"
                                       : CannotTell(GetLastError());
}
std::string Told(Sameness sameness) {
    return sameness == Sameness::Same        ? "same"
           : sameness == Sameness::Different ? "different"
                                             : CannotTell(GetLastError());
}

// An installed template and a startup folder holding a copy of it.
struct Files {
    ScratchFolder root{L"文件"};
    std::wstring installed = root / L"quorlen.dot";
    std::wstring startup = root / L"startup";
    std::wstring copy = startup + L"\\quorlen.dot";
    Files() {
        WriteBytes(installed, SampleTemplate(1));
        MakeFolder(startup);
        WriteBytes(copy, SampleTemplate(2));
    }
};

struct Row {
    const char* what;
    std::function<std::string(Files&)> told;
    std::string expected;
};

}  // namespace

TEST(FileServices, AnswerWhatTheyFoundOrWhy) {
    const auto withNul = [](const Files& f) { return f.copy + std::wstring(L"\0x", 2); };
    const auto tooLong = [](const Files& f) { return f.startup + L"\\" + std::wstring(300, L'x'); };
    const auto notInCodePage = [](const Files& f) { return f.startup + L"\\한.dot"; };
    const Row rows[] = {
        {"presence: a copy", [](Files& f) { return Told(platform::OrdinaryFileAt(f.copy)); }, "on"},
        {"presence: nothing there",
         [](Files& f) { return Told(platform::OrdinaryFileAt(f.startup + L"\\none.dot")); }, "off"},
        {"presence: a NUL inside",
         [&](Files& f) { return Told(platform::OrdinaryFileAt(withNul(f))); },
         CannotTell(ERROR_INVALID_NAME)},
        {"presence: 260 characters or more",
         [&](Files& f) { return Told(platform::OrdinaryFileAt(tooLong(f))); },
         CannotTell(ERROR_FILENAME_EXCED_RANGE)},
        {"presence: a character the code page lacks",
         [&](Files& f) { return Told(platform::OrdinaryFileAt(notInCodePage(f))); },
         CannotTell(ERROR_NO_UNICODE_TRANSLATION)},
        {"same file: the template by another spelling",
         [](Files& f) {
             return Told(platform::IsSameFile(f.installed, f.startup + L"\\..\\QUORLEN.DOT"));
         },
         "same"},
        {"same file: a copy",
         [](Files& f) { return Told(platform::IsSameFile(f.installed, f.copy)); }, "different"},
        {"same file: a copy, the template missing",
         [](Files& f) {
             RemoveTree(f.installed);
             return Told(platform::IsSameFile(f.installed, f.copy));
         },
         CannotTell(ERROR_FILE_NOT_FOUND)},
        {"same file: a refused path",
         [&](Files& f) { return Told(platform::IsSameFile(f.installed, withNul(f))); },
         CannotTell(ERROR_INVALID_NAME)},
        {"copy over the copy",
         [](Files& f) { return Error(platform::CopyFileReplacing(f.installed, f.copy)); }, "done"},
        {"copy: the template missing",
         [](Files& f) {
             RemoveTree(f.installed);
             return Error(platform::CopyFileReplacing(f.installed, f.copy));
         },
         Error(ERROR_FILE_NOT_FOUND)},
        {"copy over a read-only file",
         [](Files& f) {
             AddAttributes(f.copy, FILE_ATTRIBUTE_READONLY);
             return Error(platform::CopyFileReplacing(f.installed, f.copy));
         },
         Error(ERROR_ACCESS_DENIED)},
        {"copy into a folder that is not there",
         [](Files& f) {
             return Error(platform::CopyFileReplacing(f.installed, f.root / L"none\\quorlen.dot"));
         },
         Error(ERROR_PATH_NOT_FOUND)},
        {"copy to a refused path",
         [&](Files& f) { return Error(platform::CopyFileReplacing(f.installed, tooLong(f))); },
         Error(ERROR_FILENAME_EXCED_RANGE)},
        {"delete the copy",
         [](Files& f) { return Error(platform::DeleteFileAt(f.copy, f.installed)); }, "done"},
        {"delete: nothing there",
         [](Files& f) {
             return Error(platform::DeleteFileAt(f.startup + L"\\none.dot", f.installed));
         },
         Error(ERROR_FILE_NOT_FOUND)},
        {"delete the template itself",
         [](Files& f) {
             return Error(platform::DeleteFileAt(f.startup + L"\\..\\quorlen.dot", f.installed));
         },
         Error(ERROR_ACCESS_DENIED)},
        {"delete: the template missing",
         [](Files& f) {
             RemoveTree(f.installed);
             return Error(platform::DeleteFileAt(f.copy, f.installed));
         },
         Error(ERROR_FILE_NOT_FOUND)},
        {"delete a hidden file",
         [](Files& f) {
             AddAttributes(f.copy, FILE_ATTRIBUTE_HIDDEN);
             return Error(platform::DeleteFileAt(f.copy, f.installed));
         },
         Error(ERROR_ACCESS_DENIED)},
    };
    for (const auto& row : rows) {
        Files files;
        EXPECT_EQ(row.told(files), row.expected) << row.what;
    }
}
