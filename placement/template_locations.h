// Where the add-in's template lies beside the program and where its copy
// belongs in Word's user startup folder. Worked out once, when the settings
// window loads; a change of Word's settings takes effect at the next start.
#pragma once

#include <string>

namespace placement {

struct TemplateLocations {
    std::wstring strSource;  // the template beside the program
    std::wstring strDest;    // its copy in Word's user startup folder
};

// A step that fails leaves its field empty, which every file service refuses.
void ResolveTemplateLocations(TemplateLocations& locations);

}  // namespace placement
