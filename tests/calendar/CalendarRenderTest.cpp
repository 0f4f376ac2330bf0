// Renders a sample calendar in every view and saves the pictures for a
// person to look at.
#include <gtest/gtest.h>

#include <QDir>
#include <QLinearGradient>
#include <QPainter>
#include <QScrollBar>

#include "support/BoundCalendar.h"

namespace {

QImage Wallpaper() {
    QImage image(640, 400, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient g(0, 0, 640, 400);
    g.setColorAt(0, QColor(40, 70, 120));
    g.setColorAt(1, QColor(120, 150, 190));
    p.fillRect(image.rect(), g);
    p.setPen(QPen(QColor(255, 255, 255, 60), 8));
    for (int x = -400; x < 640; x += 60)
        p.drawLine(x, 400, x + 400, 0);
    return image;
}

void FillSample(TestDatabase& db) {
    db.AddEvent(0, "Dentist 9:30", At(2024, 3, 5, 9, 30));
    db.AddEvent(0, "Medication", At(2024, 3, 20, 8, 0),
                {.recurrence = rkHourly, .nParam = 12, .category = ecSpecial});
    db.AddEvent(0, "Water the plants", At(2024, 3, 1), {.recurrence = rkDaily, .nParam = 3});
    db.AddEvent(0, "Team meeting", At(2024, 1, 1, 10, 0),
                {.recurrence = rkWeekly, .nParam = 1, .category = ecMeeting});
    db.AddEvent(0, "Rent", At(2023, 1, 15), {.recurrence = rkMonthly, .nParam = 1});
    db.AddEvent(0, "Board review", At(2024, 1, 9),
                {.recurrence = rkMonthlyByWeekday, .nParam = 1, .category = ecMeeting});
    db.AddEvent(0, "Anna's birthday", At(1990, 3, 8),
                {.recurrence = rkAnnually, .nParam = 1, .category = ecBirthday});
    db.AddEvent(0, "Wedding anniversary", At(2010, 3, 13),
                {.recurrence = rkAnnually, .nParam = 1, .category = ecAnniversary});
    for (int i = 1; i <= 5; ++i)
        db.AddEvent(0, QString("Conference talk %1").arg(i), At(2024, 3, 27, 8 + i, 0));
    db.AddEvent(1, "Someone else's event", At(2024, 3, 13));
    db.AddHoliday(3, 17, "St Patrick's Day");
    db.AddHoliday(3, 8, "Women's Day");
    db.AddHoliday(3, 0, "Summer time", 7, 5);
    db.AddHoliday(4, 1, "April Fools' Day");
    db.AddNote(0, At(2024, 3, 13), "Shopping list");
    db.AddNote(0, At(2024, 3, 22), "Trip plan");
    db.AddNote(0, At(2024, 3, 27), "Slides");
    db.AddColor(0, At(2024, 3, 22), RGBColor(255, 240, 170));
    db.AddColor(0, At(2024, 3, 29), RGBColor(190, 235, 190));
}

// The control's picture with its cell scroll bars drawn over it.
void Save(TvnDBDrawCalendar& c, const QString& name) {
    QImage image = c.BackBuffer().copy();  // painting also places the bars
    QPainter painter(&image);
    for (int col = 0; col < 7; ++col)
        for (int row = 0; row < 6; ++row) {
            QScrollBar* bar = c.CellScrollBar(col, row);
            if (!bar->isHidden()) bar->render(&painter, bar->pos());
        }
    painter.end();
    const QString file = QDir(TestOutputDir()).filePath(name);
    EXPECT_TRUE(image.save(file)) << file.toStdString();
}

}  // namespace

TEST(CalendarRender, SampleCalendarInEveryView) {
    BoundCalendar b(At(2024, 3, 13, 11, 0), 1000, 700);
    TvnDBDrawCalendar& c = b.cal;
    FillSample(b.db);
    // The colours as the settings deliver them by default; a wallpaper behind.
    c.ColorFont = clWhite;
    c.UseEventColors = true;
    c.SetEventColor(ecMiscellaneous, clBlack);
    c.SetEventColor(ecAnniversary, clPurple);
    c.SetEventColor(ecBirthday, clMaroon);
    c.SetEventColor(ecSpecial, clGreen);
    c.SetEventColor(ecMeeting, clNavy);
    c.WallpaperPos = 2;
    c.SetWallpaper(Wallpaper());
    c.UpdateCalendar();
    ASSERT_FALSE(c.EventDrawList.empty());

    b.Show(vmMonth, At(2024, 3, 13));
    Save(c, "calendar_month.png");
    b.Show(vmWeek, At(2024, 3, 13));
    Save(c, "calendar_week.png");
    b.Show(vmDay, At(2024, 3, 27));
    Save(c, "calendar_day.png");
    b.Show(vmYear, At(2024, 3, 13));
    Save(c, "calendar_year.png");

    // A selected item and a right-pressed cell, without wallpaper.
    c.SetWallpaper(QImage());
    b.Show(vmMonth, At(2024, 3, 13));
    c.BackBuffer();
    const TRect pressed = c.GetCellRect(4, 1);  // 8 March
    c.MouseDown(Qt::RightButton, {}, pressed.Left + 5, pressed.Top + 5);
    const TRect cell = c.GetCellRect(2, 3);  // 20 March
    c.MouseDown(Qt::LeftButton, {}, cell.Left + 40, cell.Top + c.DayNumberHeight + 5);
    EXPECT_TRUE(c.ItemIsSelected());
    Save(c, "calendar_month_plain.png");
}
