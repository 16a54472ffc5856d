// Where the add-in's template lies beside the program and where its copy
// belongs in Word's user startup folder. Worked out once, when the settings
// window loads; a change of Word's settings takes effect at the next start.
#pragma once

#include <string>

namespace placement {

inline constexpr wchar_t kTemplateName[] = L"quorlen.dot";
// Word 2002's options; Word 2003 and every later Word keep their own under
// their own version, listed newest first (Office never had a 13.0).
inline constexpr wchar_t kWordOptionsKey[] = L"software\\microsoft\\office\\10.0\\word\\options";
inline constexpr const wchar_t* kLaterWordOptionsKeys[] = {
    L"software\\microsoft\\office\\16.0\\word\\options",
    L"software\\microsoft\\office\\15.0\\word\\options",
    L"software\\microsoft\\office\\14.0\\word\\options",
    L"software\\microsoft\\office\\12.0\\word\\options",
    L"software\\microsoft\\office\\11.0\\word\\options",
};
inline constexpr wchar_t kStartupPathValue[] = L"startup-path";
inline constexpr wchar_t kShellFoldersKey[] =
    L"software\\microsoft\\windows\\currentversion\\explorer\\shell folders";
inline constexpr wchar_t kAppDataValue[] = L"appdata";
inline constexpr wchar_t kStartupBelowAppData[] = L"microsoft\\word\\startup\\";

struct TemplateLocations {
    std::wstring strSource;  // the template beside the program
    std::wstring strDest;    // its copy in Word's user startup folder
};

// Fills both paths from the program's directory and the current user's Word
// settings: the startup folder Word 2002 records, else the one the newest
// later Word records, else Word's default one below application data. Each
// step runs under the error rule: a step that fails leaves its field as it
// was and the next step runs.
void ResolveTemplateLocations(TemplateLocations& locations);

// The template's path beside a program in `directory`. The separator is always
// inserted, so a drive's root ("C:\") gives "C:\\quorlen.dot", which Windows
// reads as "C:\quorlen.dot".
std::wstring TemplateBeside(const std::wstring& directory);

// The template's path inside `folder`, as the startup-path value or the
// application-data fallback gives it: one "\" is added only when the folder
// text does not already end with one.
std::wstring TemplateInside(const std::wstring& folder);

}  // namespace placement
