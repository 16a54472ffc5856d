#include "placement/template_locations.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "platform/files.h"
#include "tests/support/expected.h"
#include "tests/support/printable.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/scratch_key.h"

using namespace placement;
using support::Printable;
using support::ValueOverride;

TEST(ResolveTemplateLocations, FindsWordsStartupFolder) {
    struct Case {
        const char* what;
        std::optional<std::wstring> startupPath, appData;
        std::wstring expected;
    } cases[] = {
        {"startup folder with final separator", L"D:\\Word\\Startup\\", L"C:\\AppData",
         L"D:\\Word\\Startup\\quorlen.dot"},
        {"startup folder without final separator", L"D:\\Word\\Startup", std::nullopt,
         L"D:\\Word\\Startup\\quorlen.dot"},
        {"no Office 10.0 value", std::nullopt,
         L"C:\\Documents and Settings\\user\\Application Data",
         L"C:\\Documents and Settings\\user\\Application Data\\microsoft\\word\\startup\\"
         L"quorlen.dot"},
        {"empty Office 10.0 value", L"", L"C:\\AppData",
         L"C:\\AppData\\microsoft\\word\\startup\\quorlen.dot"},
        {"application data with final separator", std::nullopt, L"C:\\AppData\\",
         L"C:\\AppData\\\\microsoft\\word\\startup\\quorlen.dot"},
        {"neither value", std::nullopt, std::nullopt, L"\\microsoft\\word\\startup\\quorlen.dot"},
        {"Chinese startup folder", L"D:\\文档\\启动\\", std::nullopt,
         L"D:\\文档\\启动\\quorlen.dot"},
        {"Chinese application data", std::nullopt, L"C:\\用户\\张三\\应用数据",
         L"C:\\用户\\张三\\应用数据\\microsoft\\word\\startup\\quorlen.dot"},
    };
    ValueOverride startupPath(support::kWordOptionsKey, L"startup-path");
    ValueOverride appData(support::kShellFoldersKey, L"appdata");
    for (const auto& c : cases) {
        c.startupPath ? startupPath.Set(*c.startupPath) : startupPath.Remove();
        c.appData ? appData.Set(*c.appData) : appData.Remove();
        TemplateLocations locations;
        ResolveTemplateLocations(locations);
        EXPECT_EQ(Printable(locations.strDest), Printable(c.expected)) << c.what;
        EXPECT_EQ(Printable(locations.strSource),
                  Printable(support::TestExeFolder() + L"\\quorlen.dot"))
            << c.what;
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
        {"an expandable 16.0 value, as stored",
         {{L"16.0", L"%APPDATA%\\Startup\\"}},
         L"%APPDATA%\\Startup\\quorlen.dot",
         REG_EXPAND_SZ},
    };
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
            startupPaths.at(version)->SetBytes(c.type, support::Utf16(folder) + support::kUtf16Nul);
        }
        TemplateLocations locations;
        ResolveTemplateLocations(locations);
        EXPECT_EQ(Printable(locations.strDest), Printable(c.expected)) << c.what;
    }
}

TEST(TemplatePaths, JoinFoldersAndTheTemplateName) {
    struct Case {
        std::wstring folder, beside, inside;
    } cases[] = {
        {L"C:\\Tools", L"C:\\Tools\\quorlen.dot", L"C:\\Tools\\quorlen.dot"},
        {L"C:\\", L"C:\\\\quorlen.dot", L"C:\\quorlen.dot"},
        {L"\\\\server\\share", L"\\\\server\\share\\quorlen.dot",
         L"\\\\server\\share\\quorlen.dot"},
        {L"C:\\程序\\工具", L"C:\\程序\\工具\\quorlen.dot", L"C:\\程序\\工具\\quorlen.dot"},
        {L"", L"\\quorlen.dot", L"\\quorlen.dot"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Printable(TemplateBeside(c.folder)), Printable(c.beside)) << Printable(c.folder);
        EXPECT_EQ(Printable(TemplateInside(c.folder)), Printable(c.inside)) << Printable(c.folder);
    }
}

TEST(ProgramDirectory, IsTheFolderOfTheRunningProgram) {
    const std::wstring directory = platform::ProgramDirectory();
    EXPECT_EQ(Printable(directory), Printable(support::TestExeFolder()));
    EXPECT_NE(directory.back(), L'\\') << "only a drive's root ends with a separator";
}
