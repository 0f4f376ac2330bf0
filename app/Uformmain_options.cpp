// The main window's Tools > Options: the options dialog on the preferences,
// then the login start entry and the calendar follow what was confirmed.
#include "app/Uformmain.h"
#include "app/Uformoptions.h"
#include "platform/Autostart.h"
#include "store/Datafolder.h"

void TFormMainVNCR::mMenu_ToolsOptionsClick() {
    TProgOptions& o = settings_.ProgOptions;
    {
        TFormOptions form(this, &o, DataFolder());
        RunModal(form);
    }
    if (!o.Accepted) return;
    UpdateStartupShortcut();
    ApplyCalendarSettings();
    SettingsChanged();
}

void TFormMainVNCR::UpdateStartupShortcut() {
    // A folder that cannot be written is no reason to bother the user: the
    // setting stays as chosen, and the next OK tries again.
    UpdateAutostartEntry(settings_.ProgOptions.RunAtWinStartup, RunningProgramPath());
}
