// Typing into the date and time pickers of the dialogs. Qt's own editor
// only takes digits into a selected section and spoils a whole date typed
// over the selection; with this a whole date or time typed over the
// selection is read when it is complete (or at Enter, Tab or leaving the
// field), and a click on a section selects it so that digits replace it.
// A text that is no date (or time) is refused and the old value stays.
#pragma once

class QDateTimeEdit;

void MakePickerTypable(QDateTimeEdit& picker);
