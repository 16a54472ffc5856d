// The settings window "tovrel": the add-in's state in words, the enable and
// disable buttons beside it, the banner and the exit button. Creating it
// resolves where the template belongs and shows the state; the buttons switch
// the add-in and report a failed attempt in a message box.
#pragma once

#include "placement/template_locations.h"
#include "platform/form.h"

namespace window {

// The window's controls and their places, in twips; exposed for the layout
// tests.
const platform::FormDesign& SettingsFormDesign();

class SettingsWindow {
public:
    // Creates the window, runs Form_Load and shows it centred, already showing
    // the add-in's state.
    SettingsWindow();

    platform::Form& form() { return form_; }

    // The button handlers, also run directly by tests.
    void cmdUp_Click();
    void cmdDown_Click();
    void cmdExit_Click();

private:
    void Form_Load();
    void RefreshState();

    placement::TemplateLocations TemplateLocations_;
    platform::Form form_;
};

}  // namespace window
