// What each file service answers, the Win32 error included: the switch passes
// that error on to a debugger, and a refusal must never read as done.
#include "placement/template_switch.h"

#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>
#include <functional>
#include <string>

#include "platform/later_windows.h"
#include "tests/support/import_slot.h"
#include "tests/support/printable.h"
#include "tests/support/process.h"
#include "tests/support/scratch_folder.h"

using namespace support;

namespace {

std::string CannotTell(DWORD error) {
    return "cannot tell, error " + std::to_string(error);
}
std::string Error(DWORD error) {
    return error == ERROR_SUCCESS ? "done" : "error " + std::to_string(error);
}

// The answer, with the error where it cannot tell.
std::string Presence(const std::wstring& path) {
    platform::Presence presence;
    const DWORD error = placement::LookForCopy(path, presence);
    return presence == platform::Presence::On    ? "on"
           : presence == platform::Presence::Off ? "off"
                                                 : CannotTell(error);
}
std::string Sameness(const std::wstring& installed, const std::wstring& path) {
    placement::Sameness sameness;
    const DWORD error = placement::CompareWithInstalled(installed, path, sameness);
    return sameness == placement::Sameness::Same        ? "same"
           : sameness == placement::Sameness::Different ? "different"
                                                        : CannotTell(error);
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
        {"presence: a copy", [](Files& f) { return Presence(f.copy); }, "on"},
        {"presence: nothing there", [](Files& f) { return Presence(f.startup + L"\\none.dot"); },
         "off"},
        {"presence: a NUL inside", [&](Files& f) { return Presence(withNul(f)); },
         CannotTell(ERROR_INVALID_NAME)},
        {"presence: 260 characters or more", [&](Files& f) { return Presence(tooLong(f)); },
         CannotTell(ERROR_FILENAME_EXCED_RANGE)},
        {"presence: a character the code page lacks",
         [&](Files& f) { return Presence(notInCodePage(f)); },
         CannotTell(ERROR_NO_UNICODE_TRANSLATION)},
        {"same file: the template by another spelling",
         [](Files& f) { return Sameness(f.installed, f.startup + L"\\..\\QUORLEN.DOT"); }, "same"},
        {"same file: a copy", [](Files& f) { return Sameness(f.installed, f.copy); }, "different"},
        {"same file: a copy, the template missing",
         [](Files& f) {
             RemoveTree(f.installed);
             return Sameness(f.installed, f.copy);
         },
         CannotTell(ERROR_FILE_NOT_FOUND)},
        {"same file: a refused path", [&](Files& f) { return Sameness(f.installed, withNul(f)); },
         CannotTell(ERROR_INVALID_NAME)},
        {"copy over the copy",
         [](Files& f) { return Error(placement::CopyFileReplacing(f.installed, f.copy)); }, "done"},
        {"copy: the template missing",
         [](Files& f) {
             RemoveTree(f.installed);
             return Error(placement::CopyFileReplacing(f.installed, f.copy));
         },
         Error(ERROR_FILE_NOT_FOUND)},
        {"copy over a read-only file",
         [](Files& f) {
             AddAttributes(f.copy, FILE_ATTRIBUTE_READONLY);
             return Error(placement::CopyFileReplacing(f.installed, f.copy));
         },
         Error(ERROR_ACCESS_DENIED)},
        {"copy into a folder that is not there",
         [](Files& f) {
             return Error(placement::CopyFileReplacing(f.installed, f.root / L"none\\quorlen.dot"));
         },
         Error(ERROR_PATH_NOT_FOUND)},
        {"copy to a refused path",
         [&](Files& f) { return Error(placement::CopyFileReplacing(f.installed, tooLong(f))); },
         Error(ERROR_FILENAME_EXCED_RANGE)},
        {"delete the copy",
         [](Files& f) { return Error(placement::DeleteFileAt(f.copy, f.installed)); }, "done"},
        {"delete: nothing there",
         [](Files& f) {
             return Error(placement::DeleteFileAt(f.startup + L"\\none.dot", f.installed));
         },
         Error(ERROR_FILE_NOT_FOUND)},
        {"delete the template itself",
         [](Files& f) {
             return Error(placement::DeleteFileAt(f.startup + L"\\..\\quorlen.dot", f.installed));
         },
         Error(ERROR_ACCESS_DENIED)},
        {"delete: the template missing",
         [](Files& f) {
             RemoveTree(f.installed);
             return Error(placement::DeleteFileAt(f.copy, f.installed));
         },
         Error(ERROR_FILE_NOT_FOUND)},
        {"delete a hidden file",
         [](Files& f) {
             AddAttributes(f.copy, FILE_ATTRIBUTE_HIDDEN);
             return Error(placement::DeleteFileAt(f.copy, f.installed));
         },
         Error(ERROR_ACCESS_DENIED)},
    };
    for (const auto& row : rows) {
        Files files;
        EXPECT_EQ(row.told(files), row.expected) << row.what;
    }
}

// tovrel ended by force (Task Manager, say) half way through copying a large
// template: what it made in Word's startup folder goes with it, and what lay
// there stays. Wine honours the mark, its removal and the rename through the
// handle (every copy of the switch table takes them) as Windows does; unlike
// Windows, it still opens a marked file by name, and refuses a new file under
// its name as existing, not as going away.
TEST(FileServices, ACopyEndedByForceLeavesNothingBehind) {
    Files files;
    WriteBytes(files.installed, SampleTemplate(5, 64 << 20));
    const Snapshot before = TakeSnapshot(files.startup);
    const auto temporary = [&] {
        WIN32_FIND_DATAW found;
        const std::wstring pattern = files.startup + L"\\~tv*";
        return bool(platform::FindHandle(FindFirstFileW(pattern.c_str(), &found)));
    };
    Process copying(TestExeFolder() + L"\\copy_template.exe",
                    L"\"" + files.installed + L"\" \"" + files.copy + L"\"");
    while (!temporary() && copying.Running()) {
        Sleep(1);
    }
    TerminateProcess(copying.handle(), 99);
    DWORD code = 0;
    ASSERT_TRUE(copying.WaitForExit(10000) && GetExitCodeProcess(copying.handle(), &code));
    ASSERT_EQ(code, 99u) << "the copy ended before it could be ended by force";
    for (int waited = 0; temporary() && waited < 100; ++waited) {
        Sleep(50);  // until the system has closed the ended program's handles
    }
    EXPECT_EQ(Printable(DescribeChanges(before, TakeSnapshot(files.startup))), "");
}

namespace {

// What the queries that tell two files apart answer for one file, under a
// Windows that has them all, none of the later ones (XP), or no 128-bit ID (7).
struct Seen {
    DWORD volume, index;  // index 0: the file system reports none
    BYTE id;              // every byte of the 128-bit ID; 0: none reported
    const wchar_t* path;  // the final path
    DWORD stamp;          // its times and size
};
enum class Asked { All, WindowsXp, Windows7 };
const Seen* seen[2];
Asked asked;
const ImportSwap* lookUp;

const Seen& Of(HANDLE file) {
    return *seen[reinterpret_cast<UINT_PTR>(file) - 1];
}
BOOL WINAPI Information(HANDLE file, LPBY_HANDLE_FILE_INFORMATION information) {
    const DWORD stamp = Of(file).stamp;
    *information = {0, {stamp, 0}, {}, {stamp, 0}, Of(file).volume, 0, stamp, 1, 0, Of(file).index};
    return TRUE;
}
BOOL WINAPI InformationEx(HANDLE file, unsigned, void* out, DWORD) {
    auto& id = *static_cast<platform::later::IdRecord*>(out);
    id.VolumeSerialNumber = Of(file).volume;
    std::memset(id.FileId, Of(file).id, sizeof id.FileId);
    SetLastError(ERROR_INVALID_PARAMETER);  // Windows 7 has no FileIdInfo
    return asked != Asked::Windows7;
}
DWORD WINAPI FinalPath(HANDLE file, LPWSTR out, DWORD, DWORD) {
    return static_cast<DWORD>(std::wcslen(std::wcscpy(out, Of(file).path)));
}
// The later queries as this Windows has them; ntdll's and the rest as they are.
FARPROC WINAPI LookUp(HMODULE module, LPCSTR name) {
    const auto as = [](const void* function) {
        return asked == Asked::WindowsXp ? nullptr : reinterpret_cast<FARPROC>(function);
    };
    if (std::strcmp(name, "GetFileInformationByHandleEx") == 0) {
        return as(reinterpret_cast<const void*>(&InformationEx));
    }
    if (std::strcmp(name, "GetFinalPathNameByHandleW") == 0) {
        return as(reinterpret_cast<const void*>(&FinalPath));
    }
    return lookUp->original<decltype(GetProcAddress)>()(module, name);
}

}  // namespace

// Whether two open files are one where a network share reports no file index
// (the program on a share, application data redirected to the same share),
// told from what each query answers, staged through this exe's imports: under
// Wine every file system reports an index.
TEST(FileServices, TellTwoFilesApartWhereNoIndexIsReported) {
    const wchar_t* share = L"\\\\?\\UNC\\srv\\apps\\quorlen.dot";
    const wchar_t* copy = L"\\\\?\\UNC\\srv\\apps\\data\\startup\\quorlen.dot";
    const struct {
        const char* what;
        Asked asked;
        Seen installed, other;
        std::string expected;
    } rows[] = {
        {"one 128-bit ID", Asked::All, {3, 0, 9, share, 1}, {3, 0, 9, copy, 2}, "same"},
        {"two 128-bit IDs", Asked::All, {3, 0, 9, share, 1}, {3, 0, 5, copy, 1}, "different"},
        // ReFS: one 64-bit index for two files, which only the 128-bit IDs tell apart.
        {"one 64-bit index, two 128-bit IDs",
         Asked::All,
         {3, 7, 9, share, 1},
         {3, 7, 5, copy, 1},
         "different"},
        {"no ID, one final path",
         Asked::All,
         {3, 0, 0, share, 1},
         {3, 0, 0, L"\\\\?\\UNC\\SRV\\Apps\\QUORLEN.DOT", 1},
         "same"},
        {"no ID query, two final paths, a copy made later",
         Asked::Windows7,
         {3, 0, 0, share, 1},
         {3, 0, 0, copy, 2},
         "different"},
        // One file by the server's name and by its address: nothing tells.
        {"no ID query, two final paths, the same times and size",
         Asked::Windows7,
         {3, 0, 0, share, 1},
         {3, 0, 0, L"\\\\?\\UNC\\10.0.0.5\\apps\\quorlen.dot", 1},
         CannotTell(ERROR_NOT_SUPPORTED)},
        {"Windows XP",
         Asked::WindowsXp,
         {3, 0, 0, share, 1},
         {3, 0, 0, copy, 2},
         CannotTell(ERROR_NOT_SUPPORTED)},
    };
    const ImportSwap information("kernel32.dll", "GetFileInformationByHandle",
                                 reinterpret_cast<const void*>(&Information));
    const ImportSwap lookUpSwap("kernel32.dll", "GetProcAddress",
                                reinterpret_cast<const void*>(&LookUp));
    lookUp = &lookUpSwap;
    for (const auto& row : rows) {
        seen[0] = &row.installed;
        seen[1] = &row.other;
        asked = row.asked;
        bool same = false;
        const DWORD error =
            platform::AreSameFile(reinterpret_cast<HANDLE>(1), reinterpret_cast<HANDLE>(2), same);
        EXPECT_EQ(error  ? CannotTell(error)
                  : same ? "same"
                         : "different",
                  row.expected)
            << row.what;
    }
}
