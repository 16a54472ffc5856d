// tovrel.exe installed in a folder of its own with the template beside it,
// Word's startup folder, and the registry values that lead to it, all made for
// one case and removed after it.
#pragma once

#include <memory>
#include <string>

#include "tests/e2e/app_driver.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/scratch_key.h"

namespace e2e {

struct Place {
    const char* name;
    const wchar_t* programFolder;  // the scratch folder tovrel is installed in
    const wchar_t* startupRoot;    // the scratch folder the startup folder lies below
    const wchar_t* startupFolder;  // below startupRoot, as startup-path names it
    bool finalSeparator;           // whether startup-path ends in "\"
};

inline const Place kUsual{"Usual", L"program", L"word", L"Startup", true};

// The application-data fallback points at a startup folder too, so that a copy
// put in the wrong one shows up in the snapshots.
class Installation {
public:
    // `programParent`: where the program's folder is made, the temp folder
    // when empty.
    explicit Installation(const Place& place = kUsual, bool withTemplate = true,
                          const std::wstring& programParent = L"");

    // Started from elsewhere, as from a shortcut: the template must be found
    // beside the program, not in the current folder. Started as `exe` when
    // given: another name of the program; with `showCommand` for its window
    // when given. Returns once the window shows; raises std::runtime_error
    // when it does not.
    std::unique_ptr<RunningApp> Start(const std::wstring& exe = L"", int showCommand = -1) const;

    void PutCopy() const { support::WriteBytes(copy(), templateBytes_); }
    void SetStartupPath(const std::wstring& text) { startupPath_.Set(text); }
    const std::wstring& programFolder() const { return program_.path(); }
    const std::wstring& exe() const { return exe_; }
    std::wstring startupFolder() const { return startupRoot_ / startupFolder_; }
    std::wstring copy() const { return startupRoot_ / copyRelative_; }
    const std::string& templateBytes() const { return templateBytes_; }

    // The program folder and everything below the startup root, in one map.
    support::Snapshot Snap() const;
    std::wstring CopyCreated() const { return L" created:startup\\" + copyRelative_; }

private:
    support::ScratchFolder program_, startupRoot_;
    support::ValueOverride startupPath_, appData_;
    std::wstring exe_, startupFolder_, copyRelative_;
    std::string templateBytes_ = support::SampleTemplate(7);
};

// The display's DPI as Wine reads it when a program starts, for the object's
// lifetime.
class DpiSetting {
public:
    explicit DpiSetting(DWORD dpi);

private:
    support::ValueOverride logPixels_;
};

}  // namespace e2e
