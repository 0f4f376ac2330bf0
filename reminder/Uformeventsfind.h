// The find window: search text, categories and an optional range of start
// dates; the owner runs the search, the window lists what was found and
// hands a double-clicked event back to the owner for editing.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>

#include "reminder/Vnparams.h"
#include "reminder/Vnrecords.h"

class QTreeWidgetItem;

namespace Ui {
class FormEventsFind;
}

// The owner's two commands, each answering 1 when carried out: a search that
// fills the found-events list (the main window's WM_FINDEVENTS) and the
// editor on one record (WM_EDITEVENT).
struct TvnFindWindowOwner {
    std::function<int(TvnFindParams*)> FindEvents;
    std::function<int(TvnEventParams*)> EditEvent;
};

class TFormEventsFind : public QDialog {
    Q_OBJECT

public:
    // events is the found-events list the owner's search fills; it must
    // outlive the window. The rows take over the records found.
    TFormEventsFind(QWidget* owner, TvnEventRecords* events, TvnFindWindowOwner commands);
    // Frees the records with the rows.
    ~TFormEventsFind() override;

    static QStringList ColumnCaptions();

    void btnFindClick();
    void listView_EventsDblClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TvnFindParams FindParams() const;
    int CheckedCategories() const;
    void check_ToUseDatesClick();

    std::unique_ptr<Ui::FormEventsFind> ui;
    TvnEventRecords* events_;
    TvnFindWindowOwner commands_;
};
