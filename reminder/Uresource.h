// The event list row: one event record shown as a row of a report-style list
// (the notification window, the find window, the events panel). A row owns
// the record it shows, handed to it as a std::unique_ptr, and frees it with
// the row (the holidays dialog's entries own their records the same way).
#pragma once

#include <QIcon>
#include <QStringList>
#include <QTreeWidgetItem>

#include "reminder/Vnrecords.h"
#include "store/Vntypes.h"

class QCheckBox;
class QTreeWidget;

// The ten columns of every event list, in this order.
enum TvnEventListColumn : int {
    elcDescription = 0,
    elcStartDate,
    elcRunDate,
    elcEndDate,
    elcNotify,
    elcCategory,
    elcRecurrence,
    elcAction,
    elcSound,
    elcCompleted,
};
constexpr int EventListColumnCount = 10;

// The category bits of the checked boxes, one box per category in the order
// of the categories.
int CheckedCategoryMask(const QCheckBox* const (&boxes)[CategoryCount]);

// Draws grid lines between the cells of a report-style list (QTreeWidget has
// none of its own).
void ShowGridLines(QTreeWidget* list);

// The row images, drawn by the program itself.
enum TvnEventListImage : int { eliEvent = 0, eliActionFile = 1, eliSoundFile = 2 };
QIcon EventListImage(int image);

class TvnEventListItem : public QTreeWidgetItem {
public:
    static constexpr int ItemType = QTreeWidgetItem::UserType + 1;

    // Shows the record it takes. Without images the row shows texts only
    // (the find window's list). The texts are made when the row is first
    // shown or read, so that a list of a hundred thousand rows fills at once.
    explicit TvnEventListItem(std::unique_ptr<TvnEventParams> event, bool withImages = true);
    ~TvnEventListItem() override;
    TvnEventListItem(const TvnEventListItem&) = delete;
    TvnEventListItem& operator=(const TvnEventListItem&) = delete;

    // The row's record, which an editor may change (then Refresh).
    TvnEventParams* Event() const { return event_.get(); }
    // Rewrites the row after its record was edited.
    void Refresh();

    // The texts and images of the record, besides what was set on the row.
    QVariant data(int column, int role) const override;

    // The row's record, or null for an item that is not an event row.
    static TvnEventParams* EventOf(const QTreeWidgetItem* item);

private:
    std::unique_ptr<TvnEventParams> event_;
    bool withImages_;
    mutable QStringList texts_;  // empty until first asked for
};

// The texts of a row for a record, one per column (the image columns empty),
// stored texts bounded as ShownText does.
QStringList EventListTexts(const TvnEventParams& event);

// Report style, whole-row single selection, grid lines, read-only, selection
// kept visible without focus, ten columns with the given captions.
void SetupEventListView(QTreeWidget* list, const QStringList& captions);

// Replaces all rows (freeing the records of the old ones) with one row per
// record, in list order; the new rows take over the records.
void FillEventListView(QTreeWidget* list, TvnEventRecords events, bool withImages = true);
