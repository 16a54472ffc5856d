#include "placement/template_locations.h"

#include "placement/registry_reader.h"
#include "platform/error_rule.h"
#include "platform/runtime_services.h"

namespace placement {

using platform::ConditionHolds;
using platform::RunStep;

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

    RunStep([&] { source = TemplateBeside(platform::ProgramDirectory()); });
    RunStep([&] {
        dest = mdlvantel::GetRegString(HKEY_CURRENT_USER, kWordOptionsKey, kStartupPathValue);
    });
    if (ConditionHolds([&] { return dest.empty(); })) {
        // Word has recorded no startup folder: use its default one below the
        // user's application data.
        RunStep([&] {
            dest = mdlvantel::GetRegString(HKEY_CURRENT_USER, kShellFoldersKey, kAppDataValue);
        });
        RunStep([&] { dest = dest + L"\\" + kStartupBelowAppData; });
    }
    RunStep([&] { dest = TemplateInside(dest); });
}

}  // namespace placement
