// The main window's notes commands: new notes for a day and the change of
// existing ones, each through the notes editor.
#include <cmath>

#include "app/Uformmain.h"
#include "app/Uformnotepad.h"
#include "reminder/Vncalendarreminder.h"

int TFormMainVNCR::AddNotesMessage(int origin, TvnNotesParams* params) {
    const TvnCalendarReminder* c = Calendar();
    const TDateTime day = origin == aoNotesOnSelectedDate ? c->SelectedDate : c->CalendarDate();
    params->Date = std::trunc(day);
    params->ID = 0;
    return EditUntilStored(params, esNew, &TFormMainVNCR::RunNotesEditor,
                           &TvnDBDrawCalendar::AddNotes);
}

int TFormMainVNCR::EditNotesMessage(TvnNotesParams* params) {
    return EditUntilStored(params, esEdit, &TFormMainVNCR::RunNotesEditor,
                           &TvnDBDrawCalendar::EditNotes);
}

bool TFormMainVNCR::RunNotesEditor(TvnNotesParams* params) {
    TFormNotepad form(this, params);
    RunModal(form);
    return params->EditState == esAccepted;
}
