#include "placement/template_locations.h"

#include <gtest/gtest.h>

#include <optional>

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
