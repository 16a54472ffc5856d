// What the program sets up for itself below its window and files.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "platform/folder_watch.h"
#include "platform/process.h"

// Whoever started the program may have chosen an error mode of their own.
TEST(ProcessSetup, HardErrorBoxesStayAwayAndTheInheritedModeStays) {
    const UINT saved = SetErrorMode(SEM_NOGPFAULTERRORBOX);
    platform::KeepHardErrorBoxesAway();
    EXPECT_EQ(GetErrorMode(), static_cast<UINT>(SEM_NOGPFAULTERRORBOX | SEM_FAILCRITICALERRORS |
                                                SEM_NOOPENFILEERRORBOX));
    SetErrorMode(saved);
}

// The folders a watch on the copy's place follows: the path made whole, then
// every folder up to the root of its drive or share, never above.
TEST(FolderWatch, FollowsEveryFolderUpToTheRoot) {
    using Folders = std::vector<std::wstring>;
    const struct {
        const wchar_t* file;
        Folders folders;
    } rows[] = {
        {L"C:\\a\\b\\quorlen.dot", {L"C:\\a\\b\\", L"C:\\a\\", L"C:\\"}},
        {L"C:\\a\\.\\b\\..\\c\\quorlen.dot", {L"C:\\a\\c\\", L"C:\\a\\", L"C:\\"}},
        {L"C:/a/b/quorlen.dot", {L"C:\\a\\b\\", L"C:\\a\\", L"C:\\"}},
        {L"C:\\quorlen.dot", {L"C:\\"}},
        {L"\\\\server\\share\\a\\quorlen.dot", {L"\\\\server\\share\\a\\", L"\\\\server\\share\\"}},
        {L"\\\\server\\share\\quorlen.dot", {L"\\\\server\\share\\"}},
        {L"\\\\?\\C:\\a\\quorlen.dot", {L"\\\\?\\C:\\a\\", L"\\\\?\\C:\\"}},
        {L"\\\\?\\UNC\\server\\share\\a\\quorlen.dot",
         {L"\\\\?\\UNC\\server\\share\\a\\", L"\\\\?\\UNC\\server\\share\\"}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(platform::FoldersOnTheWay(row.file), row.folders)
            << "folders on the way to " << testing::PrintToString(std::wstring(row.file));
    }
}
