// The main window's holiday commands: the holiday messages, which open the
// holiday editor and store what it accepted, and Holidays management.
#include <memory>

#include "app/Uformholidayoptions.h"
#include "app/Uformholidays.h"
#include "app/Uformmain.h"
#include "reminder/Vncalendarreminder.h"

int TFormMainVNCR::AddHolidayMessage(TvnHolidayParams* p) {
    int year, month, day;
    DecodeDate(Date(), year, month, day);
    // A new holiday: today's date and nothing else from the sender.
    *p = TvnHolidayParams();
    p->Month = uint16_t(month);
    p->Day = uint16_t(day);
    return EditUntilStored(p, esNew, &TFormMainVNCR::RunHolidayEditor,
                           &TvnDBDrawCalendar::AddHoliday);
}

int TFormMainVNCR::EditHolidayMessage(TvnHolidayParams* p) {
    return EditUntilStored(p, esEdit, &TFormMainVNCR::RunHolidayEditor,
                           &TvnDBDrawCalendar::EditHoliday);
}

int TFormMainVNCR::DeleteHolidayMessage(TvnHolidayParams* p) {
    Calendar()->DeleteHoliday(p);
    return 1;
}

bool TFormMainVNCR::RunHolidayEditor(TvnHolidayParams* p) {
    TFormHolidayOptions form(this, p);
    RunModal(form);
    return p->EditState == esAccepted;
}

void TFormMainVNCR::mMenu_ToolsHolidaysClick() {
    TvnCalendarReminder* c = Calendar();
    c->HolidaysList.clear();  // a closed table fills nothing
    c->SelectHolidays();
    TvnHolidayRecords holidays = c->TakeHolidaysList();
    // The program's own hidden row (ID 1) is no holiday, whatever the
    // table's filter happens to be.
    std::erase_if(holidays, [](const auto& holiday) { return holiday->ID <= 1; });
    TFormHolidays form(this, std::move(holidays), [this](int message, TvnHolidayParams* record) {
        switch (message) {
            case WM_ADDHOLIDAY:
                return SendRecord<WM_ADDHOLIDAY>(record);
            case WM_EDITHOLIDAY:
                return SendRecord<WM_EDITHOLIDAY>(record);
            case WM_DELETEHOLIDAY:
                return SendRecord<WM_DELETEHOLIDAY>(record);
            default:
                return 0;
        }
    });
    RunModal(form);
}
