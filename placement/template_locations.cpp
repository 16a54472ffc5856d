#include "placement/template_locations.h"

#include "placement/registry_reader.h"
#include "platform/error_rule.h"
#include "platform/files.h"

namespace placement {

std::wstring TemplateBeside(const std::wstring& directory) {
    return directory + L"\\" + kTemplateName;
}

std::wstring TemplateInside(const std::wstring& folder) {
    if (!folder.empty() && folder.back() == L'\\') {
        return folder + kTemplateName;
    }
    return folder + L"\\" + kTemplateName;
}

void ResolveTemplateLocations(TemplateLocations& locations) {
    std::wstring& source = locations.strSource;
    std::wstring& dest = locations.strDest;

    const std::wstring directory = platform::ProgramDirectory();
    if (directory.empty()) {
        platform::PassOver(L"load: program directory", GetLastError());
    } else {
        source = TemplateBeside(directory);
    }
    // The registry reader answers "" for whatever fails. Word 2002's folder
    // comes first, as it always has; else a later Word's, whose user would
    // otherwise get a copy where that Word never looks.
    dest = mdlvantel::GetRegString(HKEY_CURRENT_USER, kWordOptionsKey, kStartupPathValue);
    for (const wchar_t* laterWord : kLaterWordOptionsKeys) {
        if (!dest.empty()) {
            break;
        }
        dest = mdlvantel::GetRegString(HKEY_CURRENT_USER, laterWord, kStartupPathValue);
    }
    if (dest.empty()) {
        // Word has recorded no startup folder: use its default one below the
        // user's application data.
        dest = mdlvantel::GetRegString(HKEY_CURRENT_USER, kShellFoldersKey, kAppDataValue);
        dest = dest + L"\\" + kStartupBelowAppData;
    }
    dest = TemplateInside(dest);
}

}  // namespace placement
