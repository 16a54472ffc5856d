#include "placement/template_locations.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "placement/template_switch.h"
#include "tests/support/expected.h"
#include "tests/support/printable.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/scratch_key.h"

using namespace placement;
using support::Printable;
using support::ValueOverride;

namespace {

// A value as a test stores it: its text, with its NUL, and its type.
struct Stored {
    std::wstring text;
    DWORD type = REG_SZ;
};

void Store(ValueOverride& value, const std::optional<Stored>& stored) {
    if (stored) {
        value.SetBytes(stored->type, support::Utf16(stored->text) + support::kUtf16Nul);
    } else {
        value.Remove();
    }
}

// An environment variable of the test process, as it was again at the end.
class EnvironmentOverride {
public:
    explicit EnvironmentOverride(const wchar_t* name) : name_(name), saved_(32767, L'\0') {
        saved_.resize(GetEnvironmentVariableW(name, saved_.data(), 32767));
        had_ = !saved_.empty();
    }
    ~EnvironmentOverride() { Set(had_ ? saved_.c_str() : nullptr); }
    void Set(const wchar_t* value) { SetEnvironmentVariableW(name_, value); }

private:
    const wchar_t* name_;
    std::wstring saved_;
    bool had_;
};

const std::wstring kBelowAppData = L"\\microsoft\\word\\startup\\quorlen.dot";

}  // namespace

TEST(ResolveTemplateLocations, FindsWordsStartupFolder) {
    const std::wstring longFolder = L"C:\\" + std::wstring(300, L'l');
    const std::optional<Stored> none;
    struct Case {
        const char* what;
        std::optional<Stored> startupPath, appData;
        std::wstring expected;
        bool refused = false;  // by the file services: neither on nor off
    } cases[] = {
        {"startup folder with final separator", Stored{L"D:\\Word\\Startup\\"},
         Stored{L"C:\\AppData"}, L"D:\\Word\\Startup\\quorlen.dot"},
        {"startup folder without final separator", Stored{L"D:\\Word\\Startup"}, none,
         L"D:\\Word\\Startup\\quorlen.dot"},
        {"no Office 10.0 value", none,
         Stored{L"C:\\Documents and Settings\\user\\Application Data"},
         L"C:\\Documents and Settings\\user\\Application Data" + kBelowAppData},
        {"empty Office 10.0 value", Stored{L""}, Stored{L"C:\\AppData"},
         L"C:\\AppData" + kBelowAppData},
        {"application data with final separator", none, Stored{L"C:\\AppData\\"},
         L"C:\\AppData\\" + kBelowAppData},
        {"Chinese startup folder", Stored{L"D:\\文档\\启动\\"}, none,
         L"D:\\文档\\启动\\quorlen.dot"},
        {"Chinese application data", none, Stored{L"C:\\用户\\张三\\应用数据"},
         L"C:\\用户\\张三\\应用数据" + kBelowAppData},
        // Where the shell records no application data: the folder Windows
        // reports for the user, never one below the current drive's root.
        {"no application-data value", none, none, L"C:\\Env" + kBelowAppData},
        {"empty application-data value", none, Stored{L""}, L"C:\\Env" + kBelowAppData},
        // Word expands an expandable startup folder; so does the shell an
        // expandable application-data folder.
        {"expandable startup folder", Stored{L"%TOVREL_FOLDER%\\启动\\", REG_EXPAND_SZ}, none,
         L"D:\\展开\\启动\\quorlen.dot"},
        {"expandable application data", none, Stored{L"%TOVREL_FOLDER%\\AppData", REG_EXPAND_SZ},
         L"D:\\展开\\AppData" + kBelowAppData},
        {"a plain string is never expanded", Stored{L"%TOVREL_FOLDER%\\"}, none,
         L"%TOVREL_FOLDER%\\quorlen.dot"},
        {"a variable the environment lacks stays as written",
         Stored{L"%TOVREL_UNDEFINED%\\", REG_EXPAND_SZ}, none, L"%TOVREL_UNDEFINED%\\quorlen.dot"},
        // Too long a path or a NUL inside reaches the file services, which
        // refuse it; a folder that cannot be expanded reaches them empty.
        {"expanded past what the file functions take", Stored{L"%TOVREL_LONG%", REG_EXPAND_SZ},
         none, longFolder + L"\\quorlen.dot", true},
        {"expanded past 32K characters", Stored{L"%TOVREL_HUGE%%TOVREL_HUGE%", REG_EXPAND_SZ}, none,
         L"", true},
        {"a NUL inside is not cut",
         Stored{std::wstring(L"%TOVREL_FOLDER%\0x\\", 18), REG_EXPAND_SZ}, none,
         std::wstring(L"%TOVREL_FOLDER%\0x\\quorlen.dot", 29), true},
    };
    EnvironmentOverride appDataVariable(L"APPDATA"), folder(L"TOVREL_FOLDER"),
        longOne(L"TOVREL_LONG"), huge(L"TOVREL_HUGE");
    appDataVariable.Set(L"C:\\Env");
    folder.Set(L"D:\\展开");
    longOne.Set(longFolder.c_str());
    huge.Set((L"C:\\" + std::wstring(20000, L'h')).c_str());
    ValueOverride startupPath(support::kWordOptionsKey, L"startup-path");
    ValueOverride appData(support::kShellFoldersKey, L"appdata");
    for (const auto& c : cases) {
        Store(startupPath, c.startupPath);
        Store(appData, c.appData);
        TemplateLocations locations;
        ResolveTemplateLocations(locations);
        EXPECT_EQ(Printable(locations.strDest), Printable(c.expected)) << c.what;
        EXPECT_EQ(Printable(locations.strSource),
                  Printable(support::TestExeFolder() + L"\\quorlen.dot"))
            << c.what;
        if (c.refused) {
            EXPECT_EQ(placement::IsInstalled(locations.strDest), platform::Presence::CannotTell)
                << c.what << ": the state should show neither on nor off";
        }
    }
}

// Word 2002's startup folder first, as always; else the newest later Word's,
// from 16.0 down to 11.0; else Word's default one below application data.
// Later Words' values follow the reader's rules as Word 2002's do.
TEST(ResolveTemplateLocations, TakesWord2002sThenTheNewestWordsStartupFolder) {
    struct Case {
        const char* what;
        std::vector<std::pair<std::wstring, std::wstring>> stored;  // version, startup-path
        std::wstring expected;
        DWORD type = REG_SZ;
    } cases[] = {
        {"only 10.0", {{L"10.0", L"D:\\Word2002\\"}}, L"D:\\Word2002\\quorlen.dot"},
        {"only 16.0", {{L"16.0", L"D:\\Word2016"}}, L"D:\\Word2016\\quorlen.dot"},
        {"11.0 and 16.0",
         {{L"11.0", L"D:\\Word2003\\"}, {L"16.0", L"D:\\Word2016\\"}},
         L"D:\\Word2016\\quorlen.dot"},
        {"10.0 and 16.0",
         {{L"10.0", L"D:\\Word2002\\"}, {L"16.0", L"D:\\Word2016\\"}},
         L"D:\\Word2002\\quorlen.dot"},
        {"none", {}, L"C:\\AppData\\microsoft\\word\\startup\\quorlen.dot"},
        {"an empty 16.0 value",
         {{L"12.0", L"D:\\Word2007\\"}, {L"16.0", L""}},
         L"D:\\Word2007\\quorlen.dot"},
        {"an expandable 16.0 value, expanded",
         {{L"16.0", L"%TOVREL_FOLDER%\\Startup\\"}},
         L"D:\\Word\\Startup\\quorlen.dot",
         REG_EXPAND_SZ},
    };
    EnvironmentOverride folder(L"TOVREL_FOLDER");
    folder.Set(L"D:\\Word");
    std::map<std::wstring, std::unique_ptr<ValueOverride>> startupPaths;
    for (const wchar_t* version : {L"10.0", L"11.0", L"12.0", L"14.0", L"15.0", L"16.0"}) {
        startupPaths[version] = std::make_unique<ValueOverride>(
            L"software\\microsoft\\office\\" + std::wstring(version) + L"\\word\\options",
            L"startup-path");
    }
    ValueOverride appData(support::kShellFoldersKey, L"appdata");
    appData.Set(L"C:\\AppData");
    for (const auto& c : cases) {
        for (auto& [version, value] : startupPaths) {
            value->Remove();
        }
        for (const auto& [version, folder] : c.stored) {
            Store(*startupPaths.at(version), Stored{folder, c.type});
        }
        TemplateLocations locations;
        ResolveTemplateLocations(locations);
        EXPECT_EQ(Printable(locations.strDest), Printable(c.expected)) << c.what;
    }
}

// Where neither the shell's record nor the environment names application
// data: no place at all, which every file service refuses, rather than one
// below the current drive's root.
TEST(ResolveTemplateLocations, NoApplicationDataIsNoPlace) {
    ValueOverride startupPath(support::kWordOptionsKey, L"startup-path");
    ValueOverride appData(support::kShellFoldersKey, L"appdata");
    EnvironmentOverride appDataVariable(L"APPDATA");
    appDataVariable.Set(nullptr);
    TemplateLocations locations;
    ResolveTemplateLocations(locations);
    EXPECT_EQ(Printable(locations.strDest), "");
    EXPECT_EQ(Printable(locations.strSource),
              Printable(support::TestExeFolder() + L"\\quorlen.dot"));
}

TEST(ProgramDirectory, IsTheFolderOfTheRunningProgram) {
    const std::wstring directory = platform::ProgramDirectory();
    EXPECT_EQ(Printable(directory), Printable(support::TestExeFolder()));
    EXPECT_NE(directory.back(), L'\\') << "only a drive's root ends with a separator";
}
