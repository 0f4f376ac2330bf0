#include "reminder/Uresource.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QHeaderView>
#include <QPainter>
#include <QPainterPath>
#include <QStyledItemDelegate>
#include <QTreeWidget>
#include <array>

#include "platform/DateFormat.h"
#include "platform/ShownText.h"
#include "reminder/Vnparams.h"

namespace {

constexpr int kImageSize = 16;

QPixmap BlankImage() {
    QPixmap pm(kImageSize, kImageSize);
    pm.fill(Qt::transparent);
    return pm;
}

// A calendar leaf: a white page with a red top band and two lines of text.
QPixmap DrawEventImage() {
    QPixmap pm = BlankImage();
    QPainter p(&pm);
    p.setPen(QColor(60, 60, 60));
    p.setBrush(Qt::white);
    p.drawRect(1, 2, 13, 12);
    p.fillRect(2, 3, 12, 3, QColor(200, 40, 40));
    p.setPen(QColor(90, 90, 160));
    p.drawLine(4, 9, 11, 9);
    p.drawLine(4, 11, 9, 11);
    return pm;
}

// A document with a folded corner and a green start arrow.
QPixmap DrawActionImage() {
    QPixmap pm = BlankImage();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QColor(60, 60, 60));
    p.setBrush(Qt::white);
    p.drawPolygon(QPolygonF({{2.5, 1.5}, {9.5, 1.5}, {12.5, 4.5}, {12.5, 14.5}, {2.5, 14.5}}));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 150, 50));
    p.drawPolygon(QPolygonF({{6, 6}, {12, 10}, {6, 14}}));
    return pm;
}

// A loudspeaker with two sound waves.
QPixmap DrawSoundImage() {
    QPixmap pm = BlankImage();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(50, 70, 130));
    p.drawPolygon(QPolygonF({{1, 6}, {4, 6}, {8, 2}, {8, 14}, {4, 10}, {1, 10}}));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(50, 70, 130), 1.2));
    p.drawArc(QRectF(6, 5, 5, 6), -60 * 16, 120 * 16);
    p.drawArc(QRectF(6, 2.5, 9, 11), -60 * 16, 120 * 16);
    return pm;
}

// The icons hold pixmaps, which must go before the application does.
std::array<QIcon, 3>* gImages = nullptr;

void FreeImages() {
    delete gImages;
    gImages = nullptr;
}

// Grid lines between the cells of a list (QTreeWidget has none of its own).
class TGridLineDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyledItemDelegate::paint(painter, option, index);
        painter->save();
        painter->setPen(option.palette.color(QPalette::Mid));
        const QRect r = option.rect;
        painter->drawLine(r.topRight(), r.bottomRight());
        painter->drawLine(r.bottomLeft(), r.bottomRight());
        painter->restore();
    }
};

QString YesNo(bool value) {
    return value ? QStringLiteral("YES") : QStringLiteral("NO");
}

}  // namespace

int CheckedCategoryMask(const QCheckBox* const (&boxes)[CategoryCount]) {
    int mask = 0;
    for (int c = 0; c < CategoryCount; ++c) {
        if (boxes[c]->isChecked()) mask |= CategoryBit(c);
    }
    return mask;
}

void ShowGridLines(QTreeWidget* list) {
    list->setItemDelegate(new TGridLineDelegate(list));
}

QIcon EventListImage(int image) {
    if (image < eliEvent || image > eliSoundFile) return {};
    if (!gImages) {
        gImages = new std::array<QIcon, 3>{QIcon(DrawEventImage()), QIcon(DrawActionImage()),
                                           QIcon(DrawSoundImage())};
        qAddPostRoutine(FreeImages);
    }
    return (*gImages)[image];
}

QStringList EventListTexts(const TvnEventParams& e) {
    QStringList t(EventListColumnCount);
    t[elcDescription] = ShownText(e.Desc);
    t[elcStartDate] = DateTimeText(e.Date);
    t[elcRunDate] = e.Completed ? QString() : DateTimeText(e.RunDate);
    t[elcEndDate] = e.UseEndDate ? DateTimeText(e.EndDate) : QString();
    t[elcNotify] = YesNo(e.Notify);
    t[elcCategory] = CategoryCaption(e.Category);
    t[elcRecurrence] = RecurrenceCaption(e.Recurrence);
    t[elcCompleted] = YesNo(e.Completed);
    return t;
}

TvnEventListItem::TvnEventListItem(std::unique_ptr<TvnEventParams> event, bool withImages)
    : QTreeWidgetItem(ItemType), event_(std::move(event)), withImages_(withImages) {}

TvnEventListItem::~TvnEventListItem() = default;

void TvnEventListItem::Refresh() {
    texts_.clear();
    emitDataChanged();
}

QVariant TvnEventListItem::data(int column, int role) const {
    if (!event_ || column < 0 || column >= EventListColumnCount)
        return QTreeWidgetItem::data(column, role);
    if (role == Qt::DisplayRole || role == Qt::EditRole) {
        if (texts_.isEmpty()) texts_ = EventListTexts(*event_);
        return texts_[column];
    }
    if (role != Qt::DecorationRole || !withImages_) return QTreeWidgetItem::data(column, role);
    // The file images follow the record, so an edit that adds or removes a
    // file shows at once; a file column without a file holds an empty image.
    switch (column) {
        case elcDescription:
            return EventListImage(eliEvent);
        case elcAction:
            return event_->Action_File.isEmpty() ? QIcon() : EventListImage(eliActionFile);
        case elcSound:
            return event_->Sound_File.isEmpty() ? QIcon() : EventListImage(eliSoundFile);
        default:
            return QTreeWidgetItem::data(column, role);
    }
}

TvnEventParams* TvnEventListItem::EventOf(const QTreeWidgetItem* item) {
    if (!item || item->type() != ItemType) return nullptr;
    return static_cast<const TvnEventListItem*>(item)->Event();
}

void SetupEventListView(QTreeWidget* list, const QStringList& captions) {
    list->setColumnCount(EventListColumnCount);
    list->setHeaderLabels(captions);
    list->setRootIsDecorated(false);
    list->setItemsExpandable(false);
    list->setUniformRowHeights(true);
    list->setSortingEnabled(false);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setAllColumnsShowFocus(true);
    list->setIconSize(QSize(kImageSize, kImageSize));
    ShowGridLines(list);
    QPalette pal = list->palette();
    for (const auto role : {QPalette::Highlight, QPalette::HighlightedText})
        pal.setColor(QPalette::Inactive, role, pal.color(QPalette::Active, role));
    list->setPalette(pal);
    // Date columns fit a full date and time in the current formats.
    const QFontMetrics fm = list->fontMetrics();
    const int date = fm.horizontalAdvance(DateTimeText(EncodeDate(2000, 12, 28) + 0.9999)) + 16;
    const int widths[EventListColumnCount] = {160, date, date, date, 50, 95, 105, 50, 50, 75};
    for (int c = 0; c < EventListColumnCount; ++c)
        list->setColumnWidth(c, widths[c]);
    list->header()->setStretchLastSection(false);
}

void FillEventListView(QTreeWidget* list, TvnEventRecords events, bool withImages) {
    const bool updates = list->updatesEnabled();
    list->setUpdatesEnabled(false);
    list->clear();
    QList<QTreeWidgetItem*> rows;
    rows.reserve(qsizetype(events.size()));
    for (std::unique_ptr<TvnEventParams>& e : events) {
        if (e) rows.append(new TvnEventListItem(std::move(e), withImages));
    }
    list->addTopLevelItems(rows);
    list->setUpdatesEnabled(updates);
}
