// What each file service answers, the Win32 error included: the switch passes
// that error on to a debugger, and a refusal must never read as done.
#include "platform/files.h"

#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>
#include <functional>
#include <string>
#include <vector>

#include "platform/files_internal.h"
#include "tests/support/import_hook.h"
#include "tests/support/printable.h"
#include "tests/support/process.h"
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

// A user's file made under a temporary's name in the instant before the
// program deletes that name: inside its own call to DeleteFileA, so that the
// race is lost every time rather than once in a while.
class UserFileBeforeDelete {
public:
    UserFileBeforeDelete() { current = this; }
    ~UserFileBeforeDelete() { current = nullptr; }
    UserFileBeforeDelete(const UserFileBeforeDelete&) = delete;
    UserFileBeforeDelete& operator=(const UserFileBeforeDelete&) = delete;

    // ", the user's <path> deleted" for each such file that is gone.
    std::string Lost() const {
        std::string lost;
        for (const auto& path : made_) {
            if (!Exists(path)) {
                lost += ", the user's " + Printable(path) + " deleted";
            }
        }
        return lost;
    }

private:
    static BOOL WINAPI Delete(LPCSTR ansiPath) {
        wchar_t path[MAX_PATH] = L"";
        MultiByteToWideChar(CP_ACP, 0, ansiPath, -1, path, MAX_PATH);
        const wchar_t* name = std::wcsrchr(path, L'\\');
        if (name && _wcsnicmp(name + 1, L"~tv", 3) == 0 && !Exists(path)) {
            WriteBytes(path, "the user's own");
            current->made_.push_back(path);
        }
        return current->hook_.original<decltype(&DeleteFileA)>()(ansiPath);
    }

    static inline UserFileBeforeDelete* current = nullptr;
    ImportHook hook_{"kernel32.dll", "DeleteFileA", reinterpret_cast<const void*>(&Delete)};
    std::vector<std::wstring> made_;
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
        {"copy: the template missing, a user's file made under a temporary's name meanwhile",
         [](Files& f) {
             RemoveTree(f.installed);
             const UserFileBeforeDelete user;
             const std::string told = Error(platform::CopyFileReplacing(f.installed, f.copy));
             return told + user.Lost();
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

// tovrel ended by force (Task Manager, say) half way through copying a large
// template, through either way it marks the temporary: what it had made in
// Word's startup folder goes with it, and what lay there stays. Wine honours
// the mark as Windows does, and also its removal and the rename through the
// handle, which every copy in the switch table takes. (Where Wine differs: a
// marked file still opens by name, and a new file under its name is refused
// as existing, not as going away.)
TEST(FileServices, ACopyEndedByForceLeavesNothingBehind) {
    constexpr UINT kEnded = 99;
    for (const std::wstring windows : {L"", L"--as-windows-xp "}) {
        SCOPED_TRACE(windows.empty() ? "Windows Vista and later" : "Windows XP");
        Files files;
        WriteBytes(files.installed, SampleTemplate(5, 64 << 20));
        const Snapshot before = TakeSnapshot(files.startup);
        const auto temporary = [&] {
            WIN32_FIND_DATAW found;
            return bool(
                platform::FindHandle(FindFirstFileW((files.startup + L"\\~tv*").c_str(), &found)));
        };
        const platform::ChangeNotification change(FindFirstChangeNotificationW(
            files.startup.c_str(), FALSE, FILE_NOTIFY_CHANGE_FILE_NAME));
        Process copying(TestExeFolder() + L"\\copy_template.exe",
                        windows + L"\"" + files.installed + L"\" \"" + files.copy + L"\"");
        for (int waited = 0; !temporary() && copying.Running() && waited < 600; ++waited) {
            WaitForSingleObject(change.get(), 100);
            FindNextChangeNotification(change.get());
        }
        TerminateProcess(copying.handle(), kEnded);
        ASSERT_TRUE(copying.WaitForExit(10000));
        DWORD code = 0;
        GetExitCodeProcess(copying.handle(), &code);
        ASSERT_EQ(code, kEnded) << "the copy ended before it could be ended by force";
        // Gone as the system closes the ended program's handles.
        for (int waited = 0; temporary() && waited < 100; ++waited) {
            Sleep(50);
        }
        EXPECT_EQ(Printable(DescribeChanges(before, TakeSnapshot(files.startup))), "");
    }
}

namespace {

// What the queries that tell two files apart answer for one file.
struct Seen {
    DWORD volume, index;  // index 0: the file system reports none
    BYTE id;              // every byte of the 128-bit ID; 0: none reported
    const wchar_t* path;  // the final path; null: it cannot be had
    DWORD stamp;          // its times and size
};
enum class Asked { WindowsXp, Windows7, Windows8 };  // which queries there are

const Seen* seen[2];
Asked asked;

const Seen& Of(HANDLE file) {
    return *seen[reinterpret_cast<UINT_PTR>(file) - 1];
}
BOOL WINAPI Information(HANDLE file, LPBY_HANDLE_FILE_INFORMATION information) {
    *information = {};
    information->dwVolumeSerialNumber = Of(file).volume;
    information->nFileIndexLow = Of(file).index;
    information->ftCreationTime.dwLowDateTime = Of(file).stamp;
    information->ftLastWriteTime.dwLowDateTime = Of(file).stamp;
    information->nFileSizeLow = Of(file).stamp;
    return TRUE;
}
BOOL WINAPI InformationEx(HANDLE file, FILE_INFO_BY_HANDLE_CLASS kind, LPVOID out, DWORD) {
    if (kind != FileIdInfo || asked == Asked::Windows7) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    auto& id = *static_cast<FILE_ID_INFO*>(out);
    id.VolumeSerialNumber = Of(file).volume;
    std::memset(id.FileId.Identifier, Of(file).id, sizeof id.FileId.Identifier);
    return TRUE;
}
DWORD WINAPI FinalPath(HANDLE file, LPWSTR out, DWORD room, DWORD) {
    const wchar_t* path = Of(file).path;
    if (!path) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return 0;
    }
    const DWORD length = static_cast<DWORD>(std::wcslen(path));
    if (length >= room) {
        return length + 1;
    }
    std::wcscpy(out, path);
    return length;
}

struct SameRow {
    const char* what;
    Asked asked;
    Seen installed, other;
    std::string expected;
};

}  // namespace

// Whether the file in the copy's place is the installed template, told from
// what each query answers: under Wine every file system reports an index, so a
// network share that reports none (the program on a share, application data
// redirected to the same share) is staged here.
TEST(FileServices, TellTheInstalledTemplateFromACopyWhereNoIndexIsReported) {
    const wchar_t* share = L"\\\\?\\UNC\\srv\\apps\\quorlen.dot";
    const wchar_t* shareInCapitals = L"\\\\?\\UNC\\SRV\\Apps\\QUORLEN.DOT";
    const wchar_t* copy = L"\\\\?\\UNC\\srv\\apps\\data\\startup\\quorlen.dot";
    const wchar_t* byAddress = L"\\\\?\\UNC\\10.0.0.5\\apps\\quorlen.dot";
    using enum Asked;
    const SameRow rows[] = {
        {"an index: one file by two names", Windows8, {1, 7, 0, share, 1}, {1, 7, 0, copy, 1},
         "same"},
        {"an index: two files", Windows8, {1, 7, 0, share, 1}, {1, 8, 0, share, 1}, "different"},
        {"no index, one 128-bit ID", Windows8, {3, 0, 9, share, 1}, {3, 0, 9, copy, 2}, "same"},
        {"no index, two 128-bit IDs", Windows8, {3, 0, 9, share, 1}, {3, 0, 5, copy, 1},
         "different"},
        {"no index, no ID, one final path", Windows8, {3, 0, 0, share, 1},
         {3, 0, 0, shareInCapitals, 1}, "same"},
        {"no index, no ID query, one final path", Windows7, {3, 0, 0, share, 1},
         {3, 0, 0, shareInCapitals, 1}, "same"},
        {"no index, no ID query, two final paths, a copy made later", Windows7,
         {3, 0, 0, share, 1}, {3, 0, 0, copy, 2}, "different"},
        // The same file by the server's name and by its address: nothing tells.
        {"no index, no ID query, two final paths, the same times and size", Windows7,
         {3, 0, 0, share, 1}, {3, 0, 0, byAddress, 1}, CannotTell(ERROR_NOT_SUPPORTED)},
        {"no index, Windows XP", WindowsXp, {3, 0, 0, share, 1}, {3, 0, 0, copy, 2},
         CannotTell(ERROR_NOT_SUPPORTED)},
    };
    for (const auto& row : rows) {
        seen[0] = &row.installed;
        seen[1] = &row.other;
        asked = row.asked;
        const bool later = row.asked != WindowsXp;
        const platform::files::FileIdentity ask{&Information, later ? &InformationEx : nullptr,
                                                later ? &FinalPath : nullptr};
        bool same = false;
        const DWORD error = platform::files::AreSameFile(ask, reinterpret_cast<HANDLE>(1),
                                                         reinterpret_cast<HANDLE>(2), same);
        const std::string told = error ? CannotTell(error) : same ? "same" : "different";
        EXPECT_EQ(told, row.expected) << row.what;
    }
}
