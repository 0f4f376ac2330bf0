// The main window's Tools commands that open the find window and the time
// span calculator.
#include "app/Uformmain.h"
#include "calendar/Uformtimespan.h"
#include "platform/GuardedSlot.h"
#include "reminder/Uformeventsfind.h"
#include "reminder/Vncalendarreminder.h"
#include "ui_Uformmain.h"

void TFormMainVNCR::ConnectTools() {
    // The tool bar's Find shows this same action.
    connect(ui->mMenu_ToolsFind, &QAction::triggered, this,
            GuardedSlot(this, &TFormMainVNCR::mMenu_ToolsFindClick));
    connect(ui->mMenu_ToolsTimeSpan, &QAction::triggered, this,
            GuardedSlot(this, &TFormMainVNCR::mMenu_ToolsTimeSpanClick));
}

void TFormMainVNCR::mMenu_ToolsFindClick() {
    // The window reaches the calendar only through the command messages.
    TvnFindWindowOwner commands;
    commands.FindEvents = [this](TvnFindParams* p) { return SendRecord<WM_FINDEVENTS>(p); };
    commands.EditEvent = [this](TvnEventParams* e) { return SendRecord<WM_EDITEVENT>(e); };
    TFormEventsFind form(this, &Calendar()->EventsList, commands);
    RunModal(form);
}

void TFormMainVNCR::mMenu_ToolsTimeSpanClick() {
    TFormTimeSpan form(this);
    RunModal(form);
}
