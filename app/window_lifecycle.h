#pragma once

// Where the settings store joins the main window. The window calls these on the
// window thread with its form and its paths; it reads and writes no settings
// itself.

#include "app/program_paths.h"
#include "shop/form_port.h"

namespace sw {

class WindowLifecycle {
public:
    virtual ~WindowLifecycle() = default;

    // During creation, after the desktop shortcut and before the title is set;
    // called only when the settings file exists.
    virtual void RestoreSettings(FormPort& form, const ProgramPaths& paths) = 0;
    // The window is being destroyed; every control still holds the user's values.
    virtual void SaveSettings(FormPort& form, const ProgramPaths& paths) = 0;
    // The user checked or unchecked an item of "选择列表框1". Changes made through
    // the form (a restore, for one) do not call it.
    virtual void ExportChoicesChanged(FormPort& form, const ProgramPaths& paths) = 0;
};

} // namespace sw
