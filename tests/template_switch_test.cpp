// The switch under hostile input, one table per boundary: what the registry
// holds, the path it names, and the files at both ends. Every row resolves the
// locations as the window does, reads the state, enables, reads it, disables
// and reads it again, and checks at each step that
// - the outcome is the one written in the row, so no failure passes as success;
// - the state read is what lies on disk (or "unknown" for a refused path);
// - nothing below the scratch folder changed but the one copy;
// - the template beside the program is still byte for byte the same.
#include "placement/template_switch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "platform/ansi_text.h"
#include "platform/later_windows.h"
#include "platform/handles.h"
#include "tests/support/as_windows_xp.h"
#include "tests/support/expected.h"
#include "tests/support/import_slot.h"
#include "tests/support/printable.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/scratch_key.h"

using namespace placement;
using namespace support;

namespace {

const char* Name(SwitchOutcome outcome) {
    switch (outcome) {
        case SwitchOutcome::Done: return "Done";
        case SwitchOutcome::NotEnabled: return "NotEnabled";
        case SwitchOutcome::NotDisabled: return "NotDisabled";
    }
    return "?";
}

// What the window shows: the add-in on, off, or neither when the presence
// check fails.
enum class Shown { On, Off, Unknown };

const char* Name(Shown shown) {
    return shown == Shown::On ? "on" : shown == Shown::Off ? "off" : "unknown";
}

Shown Read(const std::wstring& strDest) {
    switch (IsInstalled(strDest)) {
        case platform::Presence::On: return Shown::On;
        case platform::Presence::Off: return Shown::Off;
        case platform::Presence::CannotTell: break;
    }
    return Shown::Unknown;
}

bool IsOrdinaryFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           !(attributes &
             (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
}

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The template beside the test program, where ResolveTemplateLocations finds
// it; Word's startup folder, the default one below application data, and a
// folder of the user's own, all in one scratch folder that is also the current
// folder, so that relative paths land there too. The scratch folder is made in
// `parent`, the temp folder when none is given.
struct Scene {
    ScratchFolder root;
    std::wstring startup = root / L"startup";
    std::wstring data = root / L"data";
    std::wstring source = TestExeFolder() + L"\\quorlen.dot";
    std::string templateBytes = SampleTemplate(1);
    std::string olderBytes = SampleTemplate(2, 1234);
    ValueOverride startupPath{support::kWordOptionsKey, L"startup-path"};
    ValueOverride appData{support::kShellFoldersKey, L"appdata"};
    std::unique_ptr<HeldOpen> held;                // a running Word, or another program
    std::unique_ptr<ScratchFolder> elsewhere;      // a folder outside the scene
    std::vector<std::unique_ptr<UnixLink>> links;  // gone first, while what they lead to is there
    std::wstring copy;                             // where the copy belongs, relative to root
    wchar_t previousFolder[MAX_PATH] = L"";
    // While the switch runs: a call of it redirected, a scanner holding a file.
    std::unique_ptr<ImportSwap> swapped;
    platform::KernelHandle scanned;

    explicit Scene(const std::wstring& parent = L"") : root(L"场景", parent) {
        MakeFolder(startup);
        MakeFolder(data);
        WriteBytes(data + L"\\notes.txt", "the user's own notes");
        for (auto folder : {L"\\appdata", L"\\appdata\\microsoft", L"\\appdata\\microsoft\\word",
                            L"\\appdata\\microsoft\\word\\startup"}) {
            MakeFolder(root.path() + folder);
        }
        appData.Set(root / L"appdata");
        startupPath.Set(startup + L"\\");
        WriteBytes(source, templateBytes);
        GetCurrentDirectoryW(MAX_PATH, previousFolder);
        SetCurrentDirectoryW(root.path().c_str());
    }
    ~Scene() {
        held.reset();
        SetCurrentDirectoryW(previousFolder);
        RemoveTree(source);
    }
    void PlaceOlderCopy() { WriteBytes(startup + L"\\quorlen.dot", olderBytes); }
    void Link(const std::wstring& folder, const std::wstring& name, const std::wstring& target) {
        links.push_back(std::make_unique<UnixLink>(folder, name, target));
    }
    // Right after the switch makes its temporary copy, before it writes the
    // template's bytes there, `then` acts on the scene, given the temporary's
    // path: the moment is hit every time, however fast the copy.
    void WhenTemporaryMade(std::function<void(Scene&, const std::wstring&)> then) {
        madeScene = this;
        whenMade = std::move(then);
        swapped = std::make_unique<ImportSwap>("kernel32.dll", "CreateFileA",
                                               reinterpret_cast<const void*>(&CreateAndAct));
    }
    static HANDLE WINAPI CreateAndAct(LPCSTR name, DWORD access, DWORD share,
                                      LPSECURITY_ATTRIBUTES security, DWORD disposition,
                                      DWORD flags, HANDLE model) {
        Scene& s = *madeScene;
        const HANDLE made = s.swapped->original<decltype(CreateFileA)>()(
            name, access, share, security, disposition, flags, model);
        if (made != INVALID_HANDLE_VALUE && disposition == CREATE_NEW &&
            std::strstr(name, "\\~tv") && s.whenMade) {
            std::exchange(s.whenMade, nullptr)(s, platform::FromAnsi(name));
        }
        return made;
    }
    static inline Scene* madeScene;
    std::function<void(Scene&, const std::wstring&)> whenMade;
    // A hidden file of the user's with the older copy's bytes comes in the
    // copy's place, whole at once, while the template is copied.
    void HiddenFileWhileCopying() {
        WhenTemporaryMade([](Scene& s, const std::wstring&) {
            const std::wstring mine = s.root / L"mine.dot";
            WriteBytes(mine, s.olderBytes);
            AddAttributes(mine, FILE_ATTRIBUTE_HIDDEN);
            MoveFileW(mine.c_str(), (s.startup + L"\\quorlen.dot").c_str());
        });
    }
    // A scanner (antivirus, backup) opens the temporary as it appears, for
    // reading, and holds it until the switch is done. A user-mode program
    // cannot open it without sharing its deletion, since tovrel holds it with
    // DELETE access; real scanners are often kernel filters that skip the
    // share checks. Either way the temporary must be gone once the scanner
    // lets go.
    void ScannerWhileCopying() {
        WhenTemporaryMade([](Scene& s, const std::wstring& temporary) {
            s.scanned.reset(CreateFileW(temporary.c_str(), GENERIC_READ, kShareAll, nullptr,
                                        OPEN_EXISTING, 0, nullptr));
            EXPECT_TRUE(s.scanned) << "the scanner should have the temporary open";
        });
    }
    // The user's own files under the first `count` names a temporary would
    // take.
    void TakeTemporaryNames(unsigned count) {
        for (unsigned next = 0; next < count; ++next) {
            wchar_t name[16];
            swprintf(name, 16, L"~tv%04X.tmp", next);
            WriteBytes(startup + L"\\" + name, "the user's own " + Ansi(name));
        }
    }
    // A file of the user's, with the older copy's bytes, that the copy's place
    // leads to.
    std::wstring UsersFile() {
        WriteBytes(data + L"\\mine.dot", olderBytes);
        return data + L"\\mine.dot";
    }
};

// What lies at the copy's place after enabling.
enum class Lands { Nowhere, Template, Older };

struct Row {
    const char* what;
    std::function<void(Scene&)> arrange;
    Shown atStart;
    SwitchOutcome enable;
    const wchar_t* copy;  // where the copy belongs, relative to the scratch folder
    Lands lands;
    SwitchOutcome disable;
};

const wchar_t kInStartup[] = L"startup\\quorlen.dot";

void Check(const Row& row, const std::wstring& parent = L"") {
    SCOPED_TRACE(row.what);
    Scene scene(parent);
    scene.copy = row.copy ? row.copy : L"";
    row.arrange(scene);
    const std::wstring copy = scene.copy.empty() ? L"" : scene.root / scene.copy;
    // Everything but the copy, as it was before. The copy by its name in any
    // case: a rename over "QUORLEN.DOT" leaves "quorlen.dot" on Windows.
    auto others = [&] {
        Snapshot snapshot = TakeSnapshot(scene.root.path());
        std::erase_if(snapshot, [&](const auto& entry) {
            return _wcsicmp(entry.first.c_str(), scene.copy.c_str()) == 0;
        });
        return snapshot;
    };
    const Snapshot before = others();
    auto expectState = [&](const TemplateLocations& at, const char* when) {
        const Shown shown = Read(at.strDest);
        const Shown onDisk = !copy.empty() && IsOrdinaryFile(copy) ? Shown::On : Shown::Off;
        EXPECT_STREQ(Name(shown), Name(row.atStart == Shown::Unknown ? Shown::Unknown : onDisk))
            << when << ": the state shown must be what lies on disk";
        EXPECT_EQ(Printable(DescribeChanges(before, others())), "")
            << when << ": nothing but the copy may change";
    };

    TemplateLocations locations;
    ResolveTemplateLocations(locations);
    EXPECT_STREQ(Name(Read(locations.strDest)), Name(row.atStart)) << "at start";
    const bool copyWasThere = !copy.empty() && Exists(copy);

    EXPECT_STREQ(Name(Enable(locations)), Name(row.enable));
    // What acted meanwhile lets go once the switch is done.
    scene.swapped.reset();
    scene.scanned.reset();
    expectState(locations, "after enabling");
    if (row.lands == Lands::Nowhere) {
        EXPECT_EQ(!copy.empty() && Exists(copy), copyWasThere)
            << "no copy expected at " << Printable(copy);
    } else {
        const std::string& expected =
            row.lands == Lands::Template ? scene.templateBytes : scene.olderBytes;
        EXPECT_TRUE(ReadBytes(copy) == expected)
            << (row.lands == Lands::Template ? "a copy of the template" : "the older copy, kept")
            << " expected at " << Printable(copy);
    }

    EXPECT_STREQ(Name(Disable(locations)), Name(row.disable));
    scene.held.reset();
    expectState(locations, "after disabling");
    EXPECT_TRUE(ReadBytes(scene.source) == scene.templateBytes)
        << "the template beside the program must stay byte for byte as it was";
}

// startup-path stored as `type` with these bytes.
std::function<void(Scene&)> Stored(DWORD type, std::function<std::string(const Scene&)> bytes) {
    return [=](Scene& s) { s.startupPath.SetBytes(type, bytes(s)); };
}
std::function<void(Scene&)> StartupPath(std::function<std::wstring(const Scene&)> text) {
    return [=](Scene& s) { s.startupPath.Set(text(s)); };
}

constexpr auto Done = SwitchOutcome::Done;
constexpr auto NotEnabled = SwitchOutcome::NotEnabled;
constexpr auto NotDisabled = SwitchOutcome::NotDisabled;
constexpr auto On = Shown::On;
constexpr auto Off = Shown::Off;
constexpr auto Unknown = Shown::Unknown;
constexpr auto Nowhere = Lands::Nowhere;
constexpr auto Template = Lands::Template;
constexpr auto Older = Lands::Older;

}  // namespace

// A path whose text does not reach the file functions whole is refused: the
// state shows as unknown, enabling fails and disabling cannot claim success.
TEST(HostileInput, RegistryValues) {
    const std::wstring notes = L"data\\notes.txt";
    const Row rows[] = {
        {"string naming the startup folder",
         Stored(REG_SZ, [](const Scene& s) { return Utf16(s.startup + L"\\") + kUtf16Nul; }), Off,
         Done, kInStartup, Template, Done},
        {"NUL inside, a file of the user's before it",
         Stored(REG_SZ,
                [&](const Scene& s) {
                    return Utf16(s.root / notes) + kUtf16Nul + Utf16(L"x\\") + kUtf16Nul;
                }),
         Unknown, NotEnabled, nullptr, Nowhere, NotDisabled},
        {"list of strings, a file of the user's first",
         Stored(REG_MULTI_SZ,
                [&](const Scene& s) {
                    return Utf16(s.root / notes) + kUtf16Nul + Utf16(L"x\\") + kUtf16Nul +
                           kUtf16Nul;
                }),
         Unknown, NotEnabled, nullptr, Nowhere, NotDisabled},
        {"NUL inside, naming nothing before it",
         Stored(REG_SZ,
                [](const Scene& s) {
                    return Utf16(s.data + L"\\new") + kUtf16Nul + Utf16(L"\\") + kUtf16Nul;
                }),
         Unknown, NotEnabled, nullptr, Nowhere, NotDisabled},
        {"several NULs after the folder",
         Stored(REG_SZ,
                [](const Scene& s) {
                    return Utf16(s.startup + L"\\") + kUtf16Nul + kUtf16Nul + kUtf16Nul;
                }),
         Unknown, NotEnabled, nullptr, Nowhere, NotDisabled},
        {"expandable string with a variable the environment lacks stays as written",
         Stored(REG_EXPAND_SZ,
                [](const Scene&) { return Utf16(L"%TOVREL_UNDEFINED%\\") + kUtf16Nul; }),
         Off, NotEnabled, nullptr, Nowhere, Done},
        {"number read as its bytes",
         Stored(REG_DWORD, [](const Scene&) { return std::string("AB\\\0", 4); }), Off, NotEnabled,
         nullptr, Nowhere, Done},
        {"eight-byte number naming a relative folder",
         Stored(REG_QWORD, [](const Scene&) { return std::string("startup\\"); }), Off, Done,
         kInStartup, Template, Done},
        {"untyped bytes naming a relative folder",
         Stored(REG_NONE, [](const Scene&) { return std::string("startup\\\0", 9); }), Off, Done,
         kInStartup, Template, Done},
        {"no bytes: the default folder below application data",
         Stored(REG_BINARY, [](const Scene&) { return std::string(); }), Off, Done,
         L"appdata\\microsoft\\word\\startup\\quorlen.dot", Template, Done},
        {"one byte: the default folder",
         Stored(REG_BINARY, [](const Scene&) { return std::string("x"); }), Off, Done,
         L"appdata\\microsoft\\word\\startup\\quorlen.dot", Template, Done},
        {"two bytes: the current folder",
         Stored(REG_BINARY, [](const Scene&) { return std::string(".\\"); }), Off, Done,
         L"quorlen.dot", Template, Done},
        {"odd size: a string with half a character more",
         Stored(REG_SZ, [](const Scene& s) { return Utf16(s.startup + L"\\") + kUtf16Nul + "x"; }),
         Off, Done, kInStartup, Template, Done},
        {"32 KB string",
         Stored(REG_SZ,
                [](const Scene& s) {
                    return Utf16(s.startup + L"\\" + std::wstring(16000, L'x') + L"\\") + kUtf16Nul;
                }),
         Unknown, NotEnabled, nullptr, Nowhere, NotDisabled},
        {"64 KB of bytes, a length that wraps",
         Stored(REG_BINARY,
                [](const Scene& s) {
                    return Ansi(s.startup + L"\\") + std::string(65536, 'x') + "\\" +
                           std::string(1, '\0');
                }),
         Unknown, NotEnabled, nullptr, Nowhere, NotDisabled},
        {"a character code page 936 spells only as a look-alike, naming a folder with a "
         "quorlen.dot of the user's",
         [](Scene& s) {
             MakeFolder(s.root / L"so");
             WriteBytes(s.root / L"so\\quorlen.dot", "the user's own");
             s.startupPath.Set(s.root / L"s\u00BA\\");
         },
         Unknown, NotEnabled, nullptr, Nowhere, NotDisabled},
        {"a lead byte of code page 936 eats the separator",
         Stored(REG_BINARY,
                [](const Scene& s) { return Ansi(s.startup) + "\x81\\" + std::string(1, '\0'); }),
         Off, NotEnabled, nullptr, Nowhere, Done},
        // A name the file system calls invalid names no file.
        {"a lead byte of code page 936 with nothing after it",
         Stored(REG_BINARY, [](const Scene& s) { return Ansi(s.startup + L"\\") + "\x81"; }), Off,
         NotEnabled, nullptr, Nowhere, Done},
    };
    for (const auto& row : rows) {
        Check(row);
    }
}

TEST(HostileInput, Paths) {
    // Folders in the scratch folder down to a path that, with "\quorlen.dot",
    // is `length` characters long; the copy belongs in the last. Each name is
    // short enough for a Unix file system (255 bytes).
    auto longFolder = [](size_t length, wchar_t fill) {
        return [=](Scene& s) {
            std::wstring name;
            for (size_t left = length - s.root.path().size() - 13; left > 0;) {
                const size_t part = left > 60 ? 50 : left;
                name += std::wstring(part, fill);
                CreateDirectoryW((L"\\\\?\\" + s.root / name).c_str(), nullptr);
                left -= part;
                if (left > 0) {
                    name += L"\\";
                    --left;
                }
            }
            s.startupPath.Set(s.root / name + L"\\");
            s.copy = name + L"\\quorlen.dot";
        };
    };
    const Row rows[] = {
        {"259 characters, the longest the file functions take", longFolder(259, L'a'), Off, Done,
         L"", Template, Done},
        {"260 characters", longFolder(260, L'b'), Unknown, NotEnabled, nullptr, Nowhere,
         NotDisabled},
        {"300 characters", longFolder(300, L'c'), Unknown, NotEnabled, nullptr, Nowhere,
         NotDisabled},
        {"250 Chinese characters: over MAX_PATH bytes, under MAX_PATH characters",
         longFolder(250, L'长'), Off, Done, L"", Template, Done},
        {"forward slashes", StartupPath([](const Scene& s) { return s.root / L"startup/"; }), Off,
         Done, kInStartup, Template, Done},
        {"relative to the current folder", StartupPath([](const Scene&) { return L"startup"; }),
         Off, Done, kInStartup, Template, Done},
        {"long-path prefix",
         StartupPath([](const Scene& s) { return L"\\\\?\\" + s.startup + L"\\"; }), Off, Done,
         kInStartup, Template, Done},
        // Wine takes "startup." for "startup"; Windows may not, and then the
        // copy cannot be made: NotEnabled, and nothing lands anywhere.
        {"trailing dot", StartupPath([](const Scene& s) { return s.startup + L"."; }), Off, Done,
         kInStartup, Template, Done},
        {"trailing space: another folder, not there",
         StartupPath([](const Scene& s) { return s.startup + L" "; }), Off, NotEnabled, nullptr,
         Nowhere, Done},
        // Windows reports a missing server as error 53, past which the presence
        // check cannot tell: the state is unknown and disabling reports NotDisabled.
        {"network share on a server that is not there",
         StartupPath([](const Scene&) { return L"\\\\no-such-server\\share\\"; }), Off, NotEnabled,
         nullptr, Nowhere, Done},
        {"a character code page 936 lacks",
         [](Scene& s) {
             MakeFolder(s.root / L"启动한");
             s.startupPath.Set(s.root / L"启动한\\");
         },
         Unknown, NotEnabled, nullptr, Nowhere, NotDisabled},
        // Paths that name no file: nothing lies there, whatever the file
        // system answers (Wine calls the second an invalid name, Windows a
        // path not found).
        {"a wildcard", StartupPath([](const Scene& s) { return s.root / L"st*\\"; }), Off,
         NotEnabled, nullptr, Nowhere, Done},
        {"a file where the folder should be",
         StartupPath([](const Scene& s) { return s.data + L"\\notes.txt\\"; }), Off, NotEnabled,
         nullptr, Nowhere, Done},
        {"a folder where the copy should be",
         [](Scene& s) { MakeFolder(s.startup + L"\\quorlen.dot"); }, Off, NotEnabled, nullptr,
         Nowhere, Done},
        {"startup folder missing", [](Scene& s) { RemoveTree(s.startup); }, Off, NotEnabled,
         nullptr, Nowhere, Done},
    };
    for (const auto& row : rows) {
        Check(row);
    }
}

TEST(HostileInput, Files) {
    const Row rows[] = {
        {"into the startup folder", [](Scene&) {}, Off, Done, kInStartup, Template, Done},
        {"empty template",
         [](Scene& s) {
             s.templateBytes.clear();
             WriteBytes(s.source, "");
         },
         Off, Done, kInStartup, Template, Done},
        {"50 MB template",
         [](Scene& s) {
             s.templateBytes = SampleTemplate(3, 50 << 20);
             WriteBytes(s.source, s.templateBytes);
         },
         Off, Done, kInStartup, Template, Done},
        {"template missing beside the program",
         [](Scene& s) {
             RemoveTree(s.source);
             s.templateBytes.clear();
         },
         Off, NotEnabled, kInStartup, Nowhere, Done},
        // As when the program is started by a second name from another
        // folder: then nothing tells the copy from the installed template.
        {"template missing beside the program, a copy in the startup folder",
         [](Scene& s) {
             RemoveTree(s.source);
             s.templateBytes.clear();
             s.PlaceOlderCopy();
         },
         On, Done, kInStartup, Older, NotDisabled},
        {"template held by a program that shares nothing",
         [](Scene& s) { s.held = std::make_unique<HeldOpen>(s.source, 0); }, Off, NotEnabled,
         kInStartup, Nowhere, Done},
        {"read-only, hidden and system template",
         [](Scene& s) {
             AddAttributes(s.source,
                           FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
         },
         Off, Done, kInStartup, Template, Done},
        {"older copy replaced", [](Scene& s) { s.PlaceOlderCopy(); }, On, Done, kInStartup,
         Template, Done},
        {"older copy held by Word",
         [](Scene& s) {
             s.PlaceOlderCopy();
             s.held = std::make_unique<HeldOpen>(s.startup + L"\\quorlen.dot");
         },
         On, Done, kInStartup, Older, NotDisabled},
        {"read-only older copy stays, and counts",
         [](Scene& s) {
             s.PlaceOlderCopy();
             AddAttributes(s.startup + L"\\quorlen.dot", FILE_ATTRIBUTE_READONLY);
         },
         On, Done, kInStartup, Older, NotDisabled},
        {"a second name of a user's file in the copy's place",
         [](Scene& s) { HardLink(s.startup + L"\\quorlen.dot", s.UsersFile()); }, On, Done,
         kInStartup, Template, Done},
        // Marked for deletion while a program holds it: the name stays until
        // the holder lets go, and then the copy is gone, so it does not count.
        // Wine reports no pending delete (FileStandardInformation's
        // DeletePending is always FALSE, and the file still opens by name):
        // there the copy counts until it is gone.
        {"a copy marked for deletion that a program holds",
         [](Scene& s) {
             s.PlaceOlderCopy();
             s.held = std::make_unique<HeldOpen>(s.startup + L"\\quorlen.dot", kShareAll);
             // Deleted when its last handle goes, as DeleteFile did before
             // Windows 10 1903 and still does on Wine.
             const platform::KernelHandle marked(
                 CreateFileW((s.startup + L"\\quorlen.dot").c_str(), DELETE, kShareAll, nullptr,
                             OPEN_EXISTING, FILE_FLAG_DELETE_ON_CLOSE, nullptr));
         },
         UnderWine() ? On : Off, UnderWine() ? Done : NotEnabled, kInStartup,
         UnderWine() ? Older : Nowhere, UnderWine() ? NotDisabled : Done},
        {"older copy named in capitals",
         [](Scene& s) { WriteBytes(s.startup + L"\\QUORLEN.DOT", s.olderBytes); }, On, Done,
         L"startup\\QUORLEN.DOT", Template, Done},
        // Looked at again just before the rename: a file may come while a large
        // template is copied.
        {"a hidden file of the user's comes in the copy's place while the template is copied",
         [](Scene& s) { s.HiddenFileWhileCopying(); }, Off, NotEnabled, kInStartup, Older, Done},
        {"a scanner holds the temporary while the rename fails",
         [](Scene& s) {
             // A folder in the copy's place: Windows, and Wine, rename no file
             // over it.
             MakeFolder(s.startup + L"\\quorlen.dot");
             s.ScannerWhileCopying();
         },
         Off, NotEnabled, nullptr, Nowhere, Done},
        {"the user's own files under the first 64 temporary names",
         [](Scene& s) { s.TakeTemporaryNames(64); }, Off, Done, kInStartup, Template, Done},
        {"hidden older copy stays, and does not count",
         [](Scene& s) {
             s.PlaceOlderCopy();
             AddAttributes(s.startup + L"\\quorlen.dot", FILE_ATTRIBUTE_HIDDEN);
         },
         Off, NotEnabled, kInStartup, Nowhere, Done},
    };
    for (const auto& row : rows) {
        Check(row);
    }
}

// Word's startup folder set to the program's own folder, by another spelling:
// the "copy" is the installed template itself. It shows as on, enabling leaves
// it alone, and disabling never deletes it.
TEST(HostileInput, TheProgramsOwnFolderByOtherSpellings) {
    const std::wstring folder = TestExeFolder();
    std::wstring lower = folder;
    for (auto& c : lower) {
        c = towlower(c);
    }
    std::wstring slashes = folder;
    std::replace(slashes.begin(), slashes.end(), L'\\', L'/');
    const std::wstring parent = folder.substr(folder.find_last_of(L'\\') + 1);
    // The prefix names the whole Unix file system twice: Z: and Y:. On Windows
    // a subst drive does the same.
    const std::wstring secondDrive = L"Y" + folder.substr(1);
    const std::wstring spellings[] = {
        lower,          folder + L"\\.\\",           folder + L"\\..\\" + parent,
        slashes + L"/", L"\\\\?\\" + folder + L"\\", secondDrive};
    ASSERT_TRUE(Exists(secondDrive)) << "the test prefix should name Z: also as Y:";
    for (const auto& spelling : spellings) {
        SCOPED_TRACE(Printable(spelling));
        Scene scene;
        scene.startupPath.Set(spelling);
        const Snapshot before = TakeSnapshot(scene.root.path());
        TemplateLocations locations;
        ResolveTemplateLocations(locations);
        EXPECT_STREQ(Name(Read(locations.strDest)), "on");
        EXPECT_STREQ(Name(Enable(locations)), "Done");
        EXPECT_STREQ(Name(Disable(locations)), "NotDisabled");
        EXPECT_TRUE(ReadBytes(scene.source) == scene.templateBytes)
            << "the installed template must survive";
        EXPECT_EQ(Printable(DescribeChanges(before, TakeSnapshot(scene.root.path()))), "");
    }
}

// Wine shows a Unix symbolic link as the file it leads to, with no reparse
// point, and follows it whatever the flags. (A symbolic link of Windows' own
// is a reparse point, which CreateSymbolicLinkW makes only with a privilege.)
TEST(HostileInput, UnixSymbolicLinks) {
    if (!UnderWine()) {
        GTEST_SKIP() << "Unix symbolic links are met only under Wine";
    }
    if (support::AsWindowsXp()) {
        GTEST_SKIP() << "Windows XP has no symbolic links to files, and its delete by name "
                        "would follow one";
    }
    const Row rows[] = {
        {"a link to a user's file in the copy's place",
         [](Scene& s) {
             s.UsersFile();
             s.Link(s.startup, L"quorlen.dot", L"../data/mine.dot");
         },
         On, Done, kInStartup, Template, Done},
        {"a link to nothing in the copy's place",
         [](Scene& s) {
             const std::wstring target = s.UsersFile();
             s.Link(s.startup, L"quorlen.dot", L"../data/mine.dot");
             RemoveTree(target);  // only now: Wine sees a link to nothing as nothing
         },
         Off, Done, kInStartup, Template, Done},
        // Wine renames over no file that is open, so the link stays for 停 用.
        {"a link to a user's file that a program holds",
         [](Scene& s) {
             s.held = std::make_unique<HeldOpen>(s.UsersFile(), kShareAll);
             s.Link(s.startup, L"quorlen.dot", L"../data/mine.dot");
         },
         On, Done, kInStartup, Older, NotDisabled},
        {"the startup folder a link to a folder elsewhere",
         [](Scene& s) {
             s.elsewhere = std::make_unique<ScratchFolder>(L"elsewhere");
             const std::wstring& target = s.elsewhere->path();
             s.Link(s.root.path(), L"linked", L"../" + target.substr(target.rfind(L'\\') + 1));
             s.startupPath.Set(s.root / L"linked\\");
         },
         Off, Done, L"linked\\quorlen.dot", Template, Done},
    };
    for (const auto& row : rows) {
        Check(row);
    }
}

// The scene on a small disk with no room left.
TEST(HostileInput, FullDisk) {
    const std::wstring disk = SmallDisk();
    if (disk.empty()) {
        GTEST_SKIP() << "no small disk is mounted (see tests/support/small_disk.sh)";
    }
    const Row rows[] = {
        {"a second name of a user's file in the copy's place",
         [](Scene& s) {
             HardLink(s.startup + L"\\quorlen.dot", s.UsersFile());
             FillDisk(s.root / L"filler");
         },
         On, Done, kInStartup, Older, Done},
    };
    for (const auto& row : rows) {
        Check(row, disk);
    }
}

// What an ended tovrel may leave in Word's startup folder: a temporary that
// was no longer marked for deletion, and not yet renamed into place. Each
// press clears one holding the template's bytes, which loses nothing; every
// other file stays.
TEST(Leftovers, ClearedAtEachPressOnlyWhenTheyHoldTheTemplate) {
    const struct {
        const char* what;
        const wchar_t* name;
        bool templateBytes;
        DWORD attributes;
        bool held;
        bool cleared;
    } rows[] = {
        {"the template's bytes", L"~tv1A2B.tmp", true, 0, false, true},
        {"the template's bytes, in small letters", L"~TVab12.TMP", true, 0, false, true},
        {"other bytes", L"~tv1A2C.tmp", false, 0, false, false},
        {"the template's bytes under a name no temporary takes", L"~tv1A2G.tmp", true, 0, false,
         false},
        {"read-only", L"~tv0001.tmp", true, FILE_ATTRIBUTE_READONLY, false, false},
        {"hidden", L"~tv0002.tmp", true, FILE_ATTRIBUTE_HIDDEN, false, false},
        {"held by a program", L"~tv0003.tmp", true, 0, true, false},
    };
    for (const bool enable : {true, false}) {
        for (const auto& row : rows) {
            SCOPED_TRACE(std::string(enable ? "启 用, " : "停 用, ") + row.what);
            Scene scene;
            const std::wstring leftover = scene.startup + L"\\" + row.name;
            const std::string bytes = row.templateBytes ? scene.templateBytes : scene.olderBytes;
            WriteBytes(leftover, bytes);
            AddAttributes(leftover, row.attributes);
            if (row.held) {
                scene.held = std::make_unique<HeldOpen>(leftover);
            }
            TemplateLocations locations;
            ResolveTemplateLocations(locations);
            EXPECT_STREQ(Name(enable ? Enable(locations) : Disable(locations)), Name(Done));
            scene.held.reset();
            EXPECT_EQ(Exists(leftover), !row.cleared)
                << (row.cleared ? "the leftover cleared" : "the file kept");
            if (!row.cleared) {
                EXPECT_TRUE(ReadBytes(leftover) == bytes) << "the file kept as it was";
            }
        }
    }
}
