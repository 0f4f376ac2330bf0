// Construction: the data bound to the shown grid and repainting what it
// changes, the cell scroll bars; the user switch.
#include "calendar/Vndbdrawcalendar.h"

#include <QScrollBar>

#include "store/Adodb.h"

TvnDBDrawCalendar::TvnDBDrawCalendar(QWidget* parent)
    : TvnDrawCalendar(parent),
      data_(std::make_unique<TvnCalendarData>()),
      CurrUser(data_->CurrUser),
      RangeFilter(data_->RangeFilter),
      SpecialFilter(data_->SpecialFilter),
      FilterTested(data_->FilterTested),
      HolidaysList(data_->HolidaysList),
      EventDrawList(data_->EventDrawList),
      HolidayBookmarks(data_->HolidayBookmarks) {
    data_->SetShownGrid(&Grid());
    data_->OnCellsChanged = [this](const TvnCellFlags& cells) { RepaintCells(cells); };
    SelEvent.ID = -1;
    SelNotes.ID = -1;
    LoadItemIcons();
    CreateScrollBars();
    // The base constructor could only compute the dates; now the data side
    // exists, refresh it too.
    UpdateData();
}

TvnDBDrawCalendar::~TvnDBDrawCalendar() {
    data_->OnCellsChanged = nullptr;
    ClearEventsList();
    ResetTables();
}

void TvnDBDrawCalendar::ResetTables() {
    for (int index = 0; index < TableCount; ++index) {
        TADOTable* table = DataSet(index);
        try {
            if (table && table->Active()) {
                table->SetFiltered(false);
                table->First();
            }
        } catch (const std::exception& error) {
            ReportError(error);
        }
    }
}

void TvnDBDrawCalendar::CreateScrollBars() {
    for (int col = 0; col < 7; ++col)
        for (int row = 0; row < 6; ++row) {
            auto* bar = new QScrollBar(Qt::Vertical, this);
            bar->setFocusPolicy(Qt::NoFocus);
            bar->setProperty("Tag", CellFlagIndex(col, row));
            bar->setRange(0, 0);
            bar->setSingleStep(1);
            bar->setPageStep(1);
            bar->hide();
            connect(bar, &QScrollBar::valueChanged, this,
                    [this, bar] { Guarded([&] { OnScrollBarChange(bar); }); });
            CellScrollBars[CellRectIndex(col, row)] = bar;
        }
    ScrollBarsEnabled = true;
}

void TvnDBDrawCalendar::SetCurrUser(int user) {
    if (data_->SetCurrUser(user)) UpdateCalendar();
}

void TvnDBDrawCalendar::RepaintCells(const TvnCellFlags& cells) {
    for (int n = 0; n < CalendarCellCount; ++n) {
        if (!cells[n]) continue;
        const TvnCell cell = CellOfFlagIndex(n);
        UpdateCell(cell.Col, cell.Row);
    }
}
