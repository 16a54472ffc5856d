#include "placement/template_switch.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "platform/runtime_services.h"
#include "tests/support/printable.h"
#include "tests/support/scratch_folder.h"

using namespace placement;
using namespace testing_support;

namespace {

const char* Name(SwitchOutcome outcome) {
    switch (outcome) {
        case SwitchOutcome::Done:
            return "Done";
        case SwitchOutcome::NotEnabled:
            return "NotEnabled";
        case SwitchOutcome::NotDisabled:
            return "NotDisabled";
    }
    return "?";
}

// A program folder with the template in it and a Word startup folder, both
// with Chinese names, inside one scratch folder that is snapshotted around
// every attempt.
struct Installation {
    ScratchFolder root{L"安装"};
    std::wstring programFolder = root / L"程序";
    std::wstring startupFolder = root / L"启动";
    std::string templateBytes = SampleTemplate(1);
    std::string olderBytes = SampleTemplate(2, 1234);
    TemplateLocations locations{programFolder + L"\\quorlen.dot", startupFolder + L"\\quorlen.dot"};
    std::unique_ptr<HeldOpen> held;  // a "running Word" for the cases that need one

    Installation() {
        MakeFolder(programFolder);
        MakeFolder(startupFolder);
        WriteBytes(locations.strSource, templateBytes);
    }
    void PlaceOlderCopy() { WriteBytes(locations.strDest, olderBytes); }
};

enum class Action { Enable, Disable };

// What should lie at strDest after the attempt.
enum class Expect { Nothing, Template, OlderCopy, Folder, HiddenCopy };

struct Case {
    const char* what;
    std::function<void(Installation&)> arrange;
    Action action;
    SwitchOutcome outcome;
    Expect dest;
};

void Check(const Case& c) {
    SCOPED_TRACE(c.what);
    Installation setup;
    c.arrange(setup);
    const std::string sourceBefore = ReadBytes(setup.locations.strSource);
    const Snapshot before = TakeSnapshot(setup.root.path());

    const SwitchOutcome outcome =
        c.action == Action::Enable ? Enable(setup.locations) : Disable(setup.locations);
    EXPECT_STREQ(Name(outcome), Name(c.outcome));

    setup.held.reset();
    const std::wstring& dest = setup.locations.strDest;
    const DWORD attributes = GetFileAttributesW(dest.c_str());
    switch (c.dest) {
        case Expect::Nothing:
            EXPECT_FALSE(Exists(dest)) << "no copy expected";
            break;
        case Expect::Template:
            EXPECT_TRUE(ReadBytes(dest) == setup.templateBytes)
                << "a copy of the template expected";
            EXPECT_EQ(attributes &
                          (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM),
                      0u)
                << "an ordinary, writable copy expected";
            break;
        case Expect::OlderCopy:
            EXPECT_TRUE(ReadBytes(dest) == setup.olderBytes) << "the older copy, untouched";
            break;
        case Expect::HiddenCopy:
            EXPECT_TRUE(ReadBytes(dest) == setup.olderBytes) << "the hidden copy, untouched";
            EXPECT_TRUE(attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
            break;
        case Expect::Folder:
            EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES &&
                        (attributes & FILE_ATTRIBUTE_DIRECTORY))
                << "the folder left as it was";
            break;
    }

    // Nothing but the one copy may have come, gone or changed.
    Snapshot after = TakeSnapshot(setup.root.path());
    Snapshot expectedAfter = before;
    const std::wstring destKey = L"启动\\quorlen.dot";
    expectedAfter.erase(destKey);
    after.erase(destKey);
    if (c.dest == Expect::Folder || c.dest == Expect::HiddenCopy) {
        after = TakeSnapshot(setup.root.path());
        expectedAfter = before;
    }
    EXPECT_EQ(Printable(DescribeChanges(expectedAfter, after)), "");
    EXPECT_TRUE(ReadBytes(setup.locations.strSource) == sourceBefore)
        << "the template beside the program must stay byte for byte as it was";
}

}  // namespace

TEST(TemplateSwitch, Enable) {
    const Case cases[] = {
        {"into an existing startup folder", [](Installation&) {}, Action::Enable,
         SwitchOutcome::Done, Expect::Template},
        {"over an older copy", [](Installation& s) { s.PlaceOlderCopy(); }, Action::Enable,
         SwitchOutcome::Done, Expect::Template},
        {"startup folder missing", [](Installation& s) { RemoveTree(s.startupFolder); },
         Action::Enable, SwitchOutcome::NotEnabled, Expect::Nothing},
        {"template missing beside the program",
         [](Installation& s) { RemoveTree(s.locations.strSource); }, Action::Enable,
         SwitchOutcome::NotEnabled, Expect::Nothing},
        {"template missing, older copy in place",
         [](Installation& s) {
             RemoveTree(s.locations.strSource);
             s.PlaceOlderCopy();
         },
         Action::Enable, SwitchOutcome::Done, Expect::OlderCopy},
        {"no path to the template", [](Installation& s) { s.locations.strSource.clear(); },
         Action::Enable, SwitchOutcome::NotEnabled, Expect::Nothing},
        {"older copy held open by Word",
         [](Installation& s) {
             s.PlaceOlderCopy();
             s.held = std::make_unique<HeldOpen>(s.locations.strDest);
         },
         Action::Enable, SwitchOutcome::Done, Expect::OlderCopy},
        {"read-only template beside the program",
         [](Installation& s) { AddAttributes(s.locations.strSource, FILE_ATTRIBUTE_READONLY); },
         Action::Enable, SwitchOutcome::Done, Expect::Template},
        {"hidden, system template beside the program",
         [](Installation& s) {
             AddAttributes(s.locations.strSource, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
         },
         Action::Enable, SwitchOutcome::Done, Expect::Template},
        {"a folder named like the template",
         [](Installation& s) { MakeFolder(s.locations.strDest); }, Action::Enable,
         SwitchOutcome::NotEnabled, Expect::Folder},
        {"a read-only older copy stays, and counts",
         [](Installation& s) {
             s.PlaceOlderCopy();
             AddAttributes(s.locations.strDest, FILE_ATTRIBUTE_READONLY);
         },
         Action::Enable, SwitchOutcome::Done, Expect::OlderCopy},
        {"a hidden older copy stays, and does not count",
         [](Installation& s) {
             s.PlaceOlderCopy();
             AddAttributes(s.locations.strDest, FILE_ATTRIBUTE_HIDDEN);
         },
         Action::Enable, SwitchOutcome::NotEnabled, Expect::HiddenCopy},
    };
    for (const auto& c : cases) {
        Check(c);
    }
}

TEST(TemplateSwitch, Disable) {
    const Case cases[] = {
        {"a copy in place", [](Installation& s) { s.PlaceOlderCopy(); }, Action::Disable,
         SwitchOutcome::Done, Expect::Nothing},
        {"no copy", [](Installation&) {}, Action::Disable, SwitchOutcome::Done, Expect::Nothing},
        {"startup folder missing", [](Installation& s) { RemoveTree(s.startupFolder); },
         Action::Disable, SwitchOutcome::Done, Expect::Nothing},
        {"copy held open by Word",
         [](Installation& s) {
             s.PlaceOlderCopy();
             s.held = std::make_unique<HeldOpen>(s.locations.strDest);
         },
         Action::Disable, SwitchOutcome::NotDisabled, Expect::OlderCopy},
        {"read-only copy",
         [](Installation& s) {
             s.PlaceOlderCopy();
             AddAttributes(s.locations.strDest, FILE_ATTRIBUTE_READONLY);
         },
         Action::Disable, SwitchOutcome::NotDisabled, Expect::OlderCopy},
        {"hidden copy counts as absent and stays",
         [](Installation& s) {
             s.PlaceOlderCopy();
             AddAttributes(s.locations.strDest, FILE_ATTRIBUTE_HIDDEN);
         },
         Action::Disable, SwitchOutcome::Done, Expect::HiddenCopy},
        {"system copy counts as absent and stays",
         [](Installation& s) {
             s.PlaceOlderCopy();
             AddAttributes(s.locations.strDest, FILE_ATTRIBUTE_SYSTEM);
         },
         Action::Disable, SwitchOutcome::Done, Expect::HiddenCopy},
        {"a folder named like the template",
         [](Installation& s) { MakeFolder(s.locations.strDest); }, Action::Disable,
         SwitchOutcome::Done, Expect::Folder},
    };
    for (const auto& c : cases) {
        Check(c);
    }
}

TEST(TemplateSwitch, EnableThenDisableWithReadOnlyTemplate) {
    Installation setup;
    AddAttributes(setup.locations.strSource, FILE_ATTRIBUTE_READONLY);
    for (int round = 0; round < 3; ++round) {
        EXPECT_STREQ(Name(Enable(setup.locations)), "Done") << "round " << round;
        EXPECT_TRUE(IsInstalled(setup.locations.strDest)) << "round " << round;
        EXPECT_STREQ(Name(Disable(setup.locations)), "Done") << "round " << round;
        EXPECT_FALSE(IsInstalled(setup.locations.strDest)) << "round " << round;
    }
    EXPECT_TRUE(ReadBytes(setup.locations.strSource) == setup.templateBytes);
}

TEST(TemplateSwitch, NeverDeletesTheTemplateBesideTheProgram) {
    // Word's startup folder set to the program's own folder: the "copy" is the
    // installed template itself, spelled differently.
    Installation setup;
    std::wstring upper = setup.programFolder;
    upper[0] = towlower(upper[0]);
    const TemplateLocations same{setup.locations.strSource, upper + L"\\.\\QUORLEN.DOT"};
    EXPECT_STREQ(Name(Enable(same)), "Done");
    EXPECT_STREQ(Name(Disable(same)), "NotDisabled");
    EXPECT_TRUE(ReadBytes(setup.locations.strSource) == setup.templateBytes)
        << "the installed template must survive a disable";
}

TEST(TemplateSwitch, UnreachablePlaces) {
    // Nothing can be copied to a place that is not there, and enabling must not
    // claim success there. A missing drive holds no copy, so disabling there
    // succeeds; a place that cannot even be searched might hold one, so
    // disabling there cannot claim success.
    struct Place {
        std::wstring dest;
        SwitchOutcome enable, disable;
    } places[] = {
        {L"Q:\\Word\\Startup\\quorlen.dot", SwitchOutcome::NotEnabled, SwitchOutcome::Done},
        {L"C:\\bad|name\\quorlen.dot", SwitchOutcome::NotEnabled, SwitchOutcome::NotDisabled},
    };
    Installation setup;
    for (const auto& place : places) {
        const TemplateLocations locations{setup.locations.strSource, place.dest};
        EXPECT_STREQ(Name(Enable(locations)), Name(place.enable)) << Printable(place.dest);
        EXPECT_STREQ(Name(Disable(locations)), Name(place.disable)) << Printable(place.dest);
    }
    EXPECT_TRUE(ReadBytes(setup.locations.strSource) == setup.templateBytes);
}

TEST(IsInstalled, RaisesWhereThePlaceCannotBeSearched) {
    EXPECT_THROW(IsInstalled(L"C:\\bad|name\\quorlen.dot"), platform::ServiceError);
    EXPECT_FALSE(IsInstalled(L"C:\\no such folder\\quorlen.dot"));
}
