#include <gtest/gtest.h>

#include <QHeaderView>
#include <QPainter>
#include <QSet>
#include <QTreeWidget>

#include "EventSamples.h"
#include "reminder/Uresource.h"

namespace {

QStringList RowTexts(const QTreeWidgetItem& row) {
    QStringList texts;
    for (int c = 0; c < EventListColumnCount; ++c)
        texts.append(row.text(c));
    return texts;
}

// A record is freed when the shared text it held loses its second owner.
struct FreeProbe {
    QString marker = QString("probe %1").arg(reinterpret_cast<quintptr>(this));
    TvnEventParams* Attach(TvnEventParams* e) {
        e->Notes = marker;
        return e;
    }
    bool Freed() const { return marker.isDetached(); }
};

// A list that owns the new records given.
TvnEventRecords Records(std::initializer_list<TvnEventParams*> events) {
    TvnEventRecords records;
    for (TvnEventParams* e : events)
        records.emplace_back(e);
    return records;
}

}  // namespace

struct RowCase {
    const char* name;
    TvnEventParams event;
    QStringList texts;
    bool actionImage;
    bool soundImage;
};

void PrintTo(const RowCase& row, std::ostream* os) {
    *os << row.name;
}

class EventListRow : public ::testing::TestWithParam<RowCase> {};

TEST_P(EventListRow, ShowsTheRecord) {
    TvnEventListItem row(std::make_unique<TvnEventParams>(GetParam().event));
    EXPECT_EQ(RowTexts(row), GetParam().texts);
    EXPECT_FALSE(row.icon(elcDescription).isNull());
    EXPECT_EQ(!row.icon(elcAction).isNull(), GetParam().actionImage);
    EXPECT_EQ(!row.icon(elcSound).isNull(), GetParam().soundImage);
}

TvnEventParams Completed(TvnEventParams e) {
    e.Completed = true;
    e.RunDate = 0;
    return e;
}

TvnEventParams WithoutFiles(TvnEventParams e) {
    e.Action_File.clear();
    e.Sound_File.clear();
    e.Notify = false;
    return e;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, EventListRow,
    ::testing::Values(RowCase{"pending_one_time",
                              DentistEvent(),
                              {"Dentist", "12.03.2024 09:30:00", "12.03.2024 09:00:00", "", "YES",
                               "Meeting", "Once", "", "", "NO"},
                              false,
                              true},
                      RowCase{"completed_one_time",
                              Completed(DentistEvent()),
                              {"Dentist", "12.03.2024 09:30:00", "", "", "YES", "Meeting", "Once",
                               "", "", "YES"},
                              false,
                              true},
                      RowCase{"recurring_with_end_and_files",
                              WeeklyEvent(),
                              {"Choir", "04.01.2024 19:00:00", "14.03.2024 18:00:00", "19.12.2024",
                               "YES", "Special", "Weekly", "", "", "NO"},
                              true,
                              true},
                      RowCase{"no_files",
                              WithoutFiles(WeeklyEvent()),
                              {"Choir", "04.01.2024 19:00:00", "14.03.2024 18:00:00", "19.12.2024",
                               "NO", "Special", "Weekly", "", "", "NO"},
                              false,
                              false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(EventListRow, RefreshRewritesTextsAndFileImagesAfterAnEdit) {
    TvnEventListItem row(std::make_unique<TvnEventParams>(DentistEvent()));
    row.Event()->Desc = "Dentist (moved)";
    row.Event()->Sound_File.clear();
    row.Event()->Action_File = "/tmp/x.pdf";
    row.Event()->Completed = true;
    row.Refresh();
    EXPECT_EQ(row.text(elcDescription), "Dentist (moved)");
    EXPECT_EQ(row.text(elcRunDate), "");
    EXPECT_EQ(row.text(elcCompleted), "YES");
    EXPECT_TRUE(row.icon(elcSound).isNull());
    EXPECT_FALSE(row.icon(elcAction).isNull());
}

// The texts are made when a row is first shown, so a refreshed row must
// tell its list, which repaints it.
TEST(EventListRow, RefreshedRowInAListShowsTheNewTexts) {
    QTreeWidget list;
    SetupEventListView(&list, QStringList(EventListColumnCount));
    FillEventListView(&list, Records({new TvnEventParams(DentistEvent())}));
    const QModelIndex desc = list.model()->index(0, elcDescription);
    EXPECT_EQ(desc.data().toString(), "Dentist");
    int changed = 0;
    QObject::connect(list.model(), &QAbstractItemModel::dataChanged, [&] { ++changed; });
    auto* row = static_cast<TvnEventListItem*>(list.topLevelItem(0));
    row->Event()->Desc = "Dentist (moved)";
    EXPECT_EQ(desc.data().toString(), "Dentist");  // until refreshed
    row->Refresh();
    EXPECT_GT(changed, 0);
    EXPECT_EQ(desc.data().toString(), "Dentist (moved)");
}

TEST(EventListRow, RowsWithoutImagesShowTextsOnly) {
    TvnEventListItem row(std::make_unique<TvnEventParams>(WeeklyEvent()), false);
    for (int c = 0; c < EventListColumnCount; ++c)
        EXPECT_TRUE(row.icon(c).isNull()) << c;
    EXPECT_EQ(row.text(elcDescription), "Choir");
}

TEST(EventListRow, OnlyEventRowsHaveARecord) {
    QTreeWidgetItem plain;
    TvnEventListItem row(std::make_unique<TvnEventParams>(DentistEvent()));
    EXPECT_EQ(TvnEventListItem::EventOf(&plain), nullptr);
    EXPECT_EQ(TvnEventListItem::EventOf(nullptr), nullptr);
    EXPECT_EQ(TvnEventListItem::EventOf(&row), row.Event());
}

TEST(EventListView, HasTenColumnsWithTheGivenCaptions) {
    QTreeWidget list;
    const QStringList captions = {"Description", "Start Date", "Run Date", "End Date", "Notify",
                                  "Category",    "Recurrence", "Action",   "Sound",    "Completed"};
    SetupEventListView(&list, captions);
    ASSERT_EQ(list.columnCount(), EventListColumnCount);
    for (int c = 0; c < EventListColumnCount; ++c)
        EXPECT_EQ(list.headerItem()->text(c), captions[c]);
    EXPECT_EQ(list.selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(list.editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_FALSE(list.rootIsDecorated());
}

TEST(EventListView, FillShowsRecordsInListOrderAndRefillFreesTheOldRecords) {
    QTreeWidget list;
    SetupEventListView(&list, QStringList(EventListColumnCount));
    FreeProbe a, b, c;
    TvnEventParams* second = b.Attach(NewEvent("B"));
    FillEventListView(&list, Records({a.Attach(NewEvent("A")), second}));
    ASSERT_EQ(list.topLevelItemCount(), 2);
    EXPECT_EQ(list.topLevelItem(0)->text(elcDescription), "A");
    EXPECT_EQ(list.topLevelItem(1)->text(elcDescription), "B");
    EXPECT_EQ(TvnEventListItem::EventOf(list.topLevelItem(1)), second);
    EXPECT_FALSE(a.Freed());

    FillEventListView(&list, Records({c.Attach(NewEvent("C"))}));
    EXPECT_TRUE(a.Freed());
    EXPECT_TRUE(b.Freed());
    EXPECT_FALSE(c.Freed());
    ASSERT_EQ(list.topLevelItemCount(), 1);

    delete list.takeTopLevelItem(0);
    EXPECT_TRUE(c.Freed());
}

TEST(EventListView, FillingWithNothingClearsAndFreesEverything) {
    FreeProbe a;
    {
        QTreeWidget list;
        FillEventListView(&list, Records({a.Attach(NewEvent("A"))}));
        FillEventListView(&list, {});
        EXPECT_EQ(list.topLevelItemCount(), 0);
        EXPECT_TRUE(a.Freed());
    }
    FreeProbe b;
    {
        QTreeWidget list;
        FillEventListView(&list, Records({b.Attach(NewEvent("B"))}));
    }
    EXPECT_TRUE(b.Freed());  // closing the list frees its rows' records
}

TEST(EventListImages, AreThreeDistinctPictures) {
    const QImage e = EventListImage(eliEvent).pixmap(16).toImage();
    const QImage a = EventListImage(eliActionFile).pixmap(16).toImage();
    const QImage s = EventListImage(eliSoundFile).pixmap(16).toImage();
    EXPECT_FALSE(e.isNull());
    EXPECT_NE(e, a);
    EXPECT_NE(a, s);
    EXPECT_NE(e, s);
    EXPECT_TRUE(EventListImage(3).isNull());
    QImage strip(48, 16, QImage::Format_ARGB32);
    strip.fill(Qt::white);
    QPainter p(&strip);
    p.drawImage(0, 0, e);
    p.drawImage(16, 0, a);
    p.drawImage(32, 0, s);
    p.end();
    strip.scaled(192, 64).save(TestOutputDir() + "/event_list_images.png");
}

TEST(EventListView, RendersRowsWithTheirImages) {
    QTreeWidget list;
    SetupEventListView(&list, QStringList(EventListColumnCount, "Column"));
    FillEventListView(&list, Records({new TvnEventParams(DentistEvent()),
                                      new TvnEventParams(WeeklyEvent()), NewEvent("Plain")}));
    list.resize(1100, 140);
    list.show();
    const QImage shot = list.grab().toImage();
    shot.save(TestOutputDir() + "/event_list_rows.png");
    // The sound column of the first row carries its picture: not all one colour.
    const QRect cell = list.visualItemRect(list.topLevelItem(0));
    const int x = list.header()->sectionViewportPosition(elcSound) + 4;
    const QPoint origin = list.viewport()->mapTo(&list, QPoint(x, cell.top() + 2));
    QSet<QRgb> colours;
    for (int dx = 0; dx < 16; ++dx)
        for (int dy = 0; dy < 12; ++dy)
            colours.insert(shot.pixel(origin + QPoint(dx, dy)));
    EXPECT_GT(colours.size(), 2);
}
