#include "placement/template_switch.h"

#include <cwchar>
#include <vector>

#include "placement/error_rule.h"

using namespace platform;

namespace placement {

namespace {

// Refused over, and never taken from the template: a read-only copy stays on.
constexpr DWORD kKept = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

// Under the first free temporary name, marked for deletion at once; if the mark
// is refused the empty file stays: a delete by name might take someone's file.
DWORD MakeTemporary(const std::wstring& folder, KernelHandle& file) {
    for (unsigned number = 0; number < 0x10000; ++number) {
        wchar_t name[12];
        wsprintfW(name, L"~tv%04X.tmp", number);
        const DWORD error = Open(folder + name, GENERIC_WRITE | DELETE, FILE_SHARE_READ, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL, file);
        if (!error) {
            return MarkForDeletion(file.get(), true);
        }
        // Taken: by a file, or by another tovrel's temporary going away.
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS &&
            !RefusedAsGoingAway(error)) {
            return error;
        }
    }
    return ERROR_FILE_EXISTS;
}

// As a copy over it would be refused; a rename refuses only read-only (Wine's, none).
DWORD RefuseKept(const std::wstring& destination) {
    KernelHandle file;
    DWORD attributes = 0;
    DWORD error = OpenToLook(destination, FILE_FLAG_OPEN_REPARSE_POINT, file);
    if (!error && file) {
        error = AttributesOf(file.get(), attributes);
    }
    return error ? error : (attributes & kKept) ? ERROR_ACCESS_DENIED : ERROR_SUCCESS;
}

DWORD OpenTemplate(const std::wstring& source, KernelHandle& file) {
    return Open(source, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, OPEN_EXISTING,
                FILE_FLAG_SEQUENTIAL_SCAN, file);
}

// Temporaries an ended copy left, holding `source`'s bytes; nothing else goes.
DWORD ClearLeftoverCopies(const std::wstring& source, const std::wstring& destination) {
    const std::wstring folder = FolderOf(destination);
    std::vector<std::wstring> names;
    KernelHandle original;
    if (DWORD error =
            FilesMatching(folder + L"~tv????.tmp", kKept | FILE_ATTRIBUTE_DIRECTORY, names);
        error || names.empty() || (error = OpenTemplate(source, original))) {
        return error;
    }
    DWORD failure = ERROR_SUCCESS;
    for (const auto& name : names) {
        // The search also matches a long name by its short one.
        if (name.size() != 11 || _wcsnicmp(name.c_str(), L"~tv", 3) != 0 ||
            std::wcsspn(name.c_str() + 3, L"0123456789ABCDEFabcdef") < 4 ||
            _wcsicmp(name.c_str() + 7, L".tmp") != 0) {
            continue;
        }
        // Held against writers and deletes: another tovrel's still refuses to open.
        KernelHandle file;
        bool same = false;
        DWORD error = Open(folder + name, GENERIC_READ | DELETE, FILE_SHARE_READ, OPEN_EXISTING,
                           FILE_FLAG_OPEN_REPARSE_POINT, file);
        if (!error && !(error = SameBytes(original.get(), file.get(), same)) && same) {
            error = MarkForDeletion(file.get(), true);
        }
        // Held by its maker, gone, or going away (marked by another tovrel): no failure.
        if (error && error != ERROR_SHARING_VIOLATION && error != ERROR_FILE_NOT_FOUND &&
            !RefusedAsGoingAway(error)) {
            failure = error;
        }
    }
    return failure;
}

}  // namespace

DWORD LookForCopy(const std::wstring& path, Presence& presence) {
    presence = Presence::CannotTell;
    KernelHandle file;
    DWORD attributes = 0;
    bool pending = false;
    DWORD error = OpenToLook(path, 0, file);
    if (!error && file && !(error = AttributesOf(file.get(), attributes))) {
        error = IsDeletePending(file.get(), pending);
    }
    if (!error) {
        attributes &= FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;
        presence = file && !attributes && !pending ? Presence::On : Presence::Off;
    }
    return error;
}

DWORD CompareWithInstalled(const std::wstring& installed, const std::wstring& path,
                           Sameness& sameness) {
    sameness = Sameness::CannotTell;
    KernelHandle other;
    bool same = false;
    DWORD error = OpenToLook(path, 0, other);
    if (!error && (!other || !(error = IsFileAt(installed, other.get(), same)))) {
        sameness = same ? Sameness::Same : Sameness::Different;
    }
    return error;
}

DWORD CopyFileReplacing(const std::wstring& source, const std::wstring& destination) {
    KernelHandle original, copy;
    DWORD error = RefuseKept(destination);
    // The template opened first: missing, it leaves nothing to clean up.
    if (error || (error = OpenTemplate(source, original)) ||
        (error = MakeTemporary(FolderOf(destination), copy)) ||
        (error = CopyBytes(original.get(), copy.get())) ||
        // Again, since a file may come while a large template is copied.
        (error = RefuseKept(destination)) || (error = MarkForDeletion(copy.get(), false))) {
        return error;
    }
    // A link or a second name of a user's file is replaced; marked again on failure.
    if ((error = RenameReplacing(copy.get(), destination))) {
        MarkForDeletion(copy.get(), true);
    }
    return error;
}

DWORD DeleteFileAt(const std::wstring& path, const std::wstring& installed) {
    // Checked and deleted through one handle; a link opens as itself.
    KernelHandle file;
    DWORD attributes = 0;
    bool same = true, named = false;
    if (DWORD error = Open(path, DELETE | FILE_READ_ATTRIBUTES, kShareAll, OPEN_EXISTING,
                           FILE_FLAG_OPEN_REPARSE_POINT, file);
        error || (error = IsFileAt(installed, file.get(), same)) ||
        (error = AttributesOf(file.get(), attributes)) ||
        // A link that is no reparse point (Wine's Unix link) opens as its target.
        (error = IsNamedEntry(file.get(), path, named))) {
        return error;
    }
    if (same || !named || (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM))) {
        return ERROR_ACCESS_DENIED;
    }
    // Read-only, or held without sharing the delete: refused, as by name.
    return MarkForDeletion(file.get(), true);  // gone as the handle closes
}

Presence IsInstalled(const std::wstring& strDest) {
    Presence presence;
    PassOver(L"presence check", LookForCopy(strDest, presence));
    return presence;
}

SwitchOutcome Enable(const TemplateLocations& locations) {
    const auto& [src, dest] = locations;
    PassOver(L"enable: leftovers", ClearLeftoverCopies(src, dest));
    // Refreshed, but never onto the installed template, nor when that cannot be told.
    Sameness sameness;
    PassOver(L"enable: same file", CompareWithInstalled(src, dest, sameness));
    if (sameness == Sameness::Different) {
        PassOver(L"enable: copy", CopyFileReplacing(src, dest));
    }
    return IsInstalled(dest) == Presence::On ? SwitchOutcome::Done  // cannot tell: not enabled
                                             : SwitchOutcome::NotEnabled;
}

SwitchOutcome Disable(const TemplateLocations& locations) {
    const auto& [src, dest] = locations;
    PassOver(L"disable: leftovers", ClearLeftoverCopies(src, dest));
    // Cannot tell: tried all the same; DeleteFileAt leaves the installed template.
    if (IsInstalled(dest) != Presence::Off) {
        PassOver(L"disable: delete", DeleteFileAt(dest, src));
    }
    return IsInstalled(dest) != Presence::Off ? SwitchOutcome::NotDisabled  // cannot tell too
                                              : SwitchOutcome::Done;
}

}  // namespace placement
