#include "placement/template_locations.h"

#include "placement/registry_reader.h"
#include "placement/error_rule.h"
#include "platform/files.h"

namespace placement {

namespace {

constexpr wchar_t kTemplateName[] = L"quorlen.dot";
constexpr DWORD kMostExpanded = 32767;  // characters with the NUL, Windows' limit

// The user's application-data folder as Windows sets it in the environment,
// or "".
std::wstring ApplicationData() {
    std::wstring folder(kMostExpanded, L'\0');
    const DWORD length = GetEnvironmentVariableW(L"APPDATA", folder.data(), kMostExpanded);
    folder.resize(length < kMostExpanded ? length : 0);
    return folder;
}

// A NUL inside or a text too long to expand would be cut: such a folder stays
// as stored, for the file services to refuse whole.
DWORD Expand(std::wstring& folder) {
    if (folder.find(L'\0') != folder.npos || folder.size() >= kMostExpanded) {
        return ERROR_SUCCESS;
    }
    std::wstring expanded(kMostExpanded, L'\0');
    const DWORD length = ExpandEnvironmentStringsW(folder.c_str(), expanded.data(), kMostExpanded);
    folder.assign(expanded.c_str());
    return length == 0 || length > kMostExpanded ? ERROR_FILENAME_EXCED_RANGE : ERROR_SUCCESS;
}

}  // namespace

void ResolveTemplateLocations(TemplateLocations& locations) {
    const std::wstring directory = platform::ProgramDirectory();
    if (directory.empty()) {
        PassOver(L"load: program directory", GetLastError());
    } else {
        // "C:\" gives "C:\\quorlen.dot", which Windows reads as "C:\quorlen.dot".
        locations.strSource = directory + L"\\" + kTemplateName;
    }

    // Word's startup folder: Word 2002's, as always; else the newest later
    // Word's (there was no 13.0); else Word's default below application data.
    std::wstring folder;
    DWORD type = REG_NONE;
    for (const wchar_t* version : {L"10.0", L"16.0", L"15.0", L"14.0", L"12.0", L"11.0"}) {
        if (folder.empty()) {
            folder = mdlvantel::GetRegString(
                HKEY_CURRENT_USER,
                L"software\\microsoft\\office\\" + std::wstring(version) + L"\\word\\options",
                L"startup-path", &type);
        }
    }
    if (folder.empty()) {
        folder = mdlvantel::GetRegString(
            HKEY_CURRENT_USER,
            L"software\\microsoft\\windows\\currentversion\\explorer\\shell folders", L"appdata",
            &type);
        if (folder.empty()) {
            type = REG_NONE;
            folder = ApplicationData();
        }
        // Never a folder below the current drive's root.
        folder += folder.empty() ? L"" : L"\\microsoft\\word\\startup\\";
    }
    const DWORD error = type == REG_EXPAND_SZ ? Expand(folder) : ERROR_SUCCESS;
    if (error || folder.empty()) {
        PassOver(L"load: startup folder", error ? error : ERROR_PATH_NOT_FOUND);
    } else {
        locations.strDest = folder + (folder.back() == L'\\' ? L"" : L"\\") + kTemplateName;
    }
}

}  // namespace placement
