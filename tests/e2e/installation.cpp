#include "tests/e2e/installation.h"

#include <stdexcept>

#include "tests/support/expected.h"

namespace e2e {

using namespace support;

Installation::Installation(const Place& place, bool withTemplate, const std::wstring& programParent)
    : program_(place.programFolder, programParent),
      startupRoot_(place.startupRoot),
      startupPath_(kWordOptionsKey, L"startup-path"),
      appData_(kShellFoldersKey, L"appdata") {
    exe_ = program_ / L"tovrel.exe";
    if (!CopyFileW((TestExeFolder() + L"\\tovrel.exe").c_str(), exe_.c_str(), TRUE)) {
        throw std::runtime_error("tovrel.exe is not beside the test exe");
    }
    if (withTemplate) {
        WriteBytes(program_ / L"quorlen.dot", templateBytes_);
    }
    std::wstring folder = startupRoot_.path();
    for (const wchar_t* below : {L"\\AppData", L"\\microsoft", L"\\word", L"\\startup"}) {
        MakeFolder(folder += below);
    }
    appData_.Set(startupRoot_ / L"AppData");
    MakeFolder(startupRoot_ / place.startupFolder);
    startupPath_.Set(startupRoot_ / place.startupFolder + (place.finalSeparator ? L"\\" : L""));
    startupFolder_ = place.startupFolder;
    copyRelative_ = startupFolder_ + L"\\quorlen.dot";
}

std::unique_ptr<RunningApp> Installation::Start(const std::wstring& exe, int showCommand) const {
    auto app =
        std::make_unique<RunningApp>(exe.empty() ? exe_ : exe, startupRoot_.path(), showCommand);
    // A first start under Wine can be slow.
    if (!app->WaitForWindow(kTitle, 20000)) {
        throw std::runtime_error("expected a visible window titled Quorlen设置 of the process");
    }
    return app;
}

Snapshot Installation::Snap() const {
    Snapshot both;
    for (auto& [path, state] : TakeSnapshot(program_.path())) {
        both[L"program\\" + path] = state;
    }
    for (auto& [path, state] : TakeSnapshot(startupRoot_.path())) {
        both[L"startup\\" + path] = state;
    }
    return both;
}

DpiSetting::DpiSetting(DWORD dpi) : logPixels_(L"Control Panel\\Desktop", L"LogPixels") {
    logPixels_.SetBytes(REG_DWORD, std::string(reinterpret_cast<const char*>(&dpi), sizeof dpi));
}

}  // namespace e2e
