// The tray's pictures and its icon holder: every picture readable and its
// own, the day or the suspended picture shown, a left click toggling.
#include <gtest/gtest.h>

#include <QMenu>
#include <QPainter>
#include <QSet>

#include "platform/Tray.h"
#include "platform/TrayIcons.h"
#include "support/TestSupport.h"

namespace {

// Opaque enough to be seen, and with more than one colour: a leaf with a mark.
bool IsReadable(const QImage& image) {
    QSet<QRgb> colours;
    int opaque = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (qAlpha(pixel) == 255) ++opaque, colours.insert(pixel);
        }
    return opaque > image.width() * image.height() / 2 && colours.size() >= 3;
}

// All 32 pictures, 16 to a row, on a light and a dark panel, at every panel
// size magnified three times (pixel for pixel) so that a person can judge them.
void SaveSheet(const QString& fileName) {
    const int sizes[] = {16, 22, 24, 32};
    const int zoom = 3, cell = 32 * zoom + 8, perRow = 16;
    QImage sheet(perRow * cell, 4 * 2 * 2 * cell, QImage::Format_RGB32);
    QPainter p(&sheet);
    int top = 0;
    for (int size : sizes)
        for (const QColor panel : {QColor(0xee, 0xee, 0xee), QColor(0x2b, 0x2b, 0x2b)}) {
            p.fillRect(0, top, sheet.width(), 2 * cell, panel);
            for (int n = 0; n < kTrayImageCount; ++n) {
                const QRect target(n % perRow * cell + 4, top + n / perRow * cell + 4, size * zoom,
                                   size * zoom);
                p.drawImage(target, TrayImage(n, size));
            }
            top += 2 * cell;
        }
    p.end();
    sheet.save(fileName);
}

QImage ShownImage(TTray& tray) {
    const auto* icon = tray.findChild<QSystemTrayIcon*>(QStringLiteral("trayIcon"));
    return icon->icon().pixmap(16, 16).toImage().convertToFormat(
        QImage::Format_ARGB32_Premultiplied);
}

}  // namespace

TEST(TrayIcons, DaysAndSuspendedAreReadableAndDistinctAtEverySize) {
    const int samples[] = {kTraySuspendedImage, 1, 9, 10, 31};
    for (int size : {16, 22, 24, 32}) {
        SCOPED_TRACE(size);
        QList<QImage> images;
        for (int n : samples) {
            images << TrayImage(n, size);
            EXPECT_EQ(images.last().size(), QSize(size, size));
            EXPECT_TRUE(IsReadable(images.last())) << "image " << n;
        }
        for (int i = 0; i < images.size(); ++i)
            for (int j = i + 1; j < images.size(); ++j)
                EXPECT_NE(images[i], images[j]) << samples[i] << " and " << samples[j];
        EXPECT_EQ(TrayImage(32, size), TrayImage(kTraySuspendedImage, size));
        EXPECT_EQ(TrayImage(-1, size), TrayImage(kTraySuspendedImage, size));
    }
    SaveSheet(TestOutputDir() + QStringLiteral("/tray-icons.png"));
}

TEST(Tray, ShowsTodayOrSuspendedAndALeftClickToggles) {
    ScopedClock clock(At(2024, 3, 9, 23, 59));
    TTray tray;
    EXPECT_EQ(tray.ToolTip(), "Vornel Pro");
    EXPECT_FALSE(tray.Available()) << "the offscreen platform has no tray";
    EXPECT_EQ(tray.ShownImage(), 9);
    EXPECT_EQ(ShownImage(tray), TrayImage(9, 16));

    tray.SetSuspended(true);
    EXPECT_EQ(ShownImage(tray), TrayImage(kTraySuspendedImage, 16));
    clock.Set(At(2024, 3, 10));
    tray.SetDayFromClock();
    EXPECT_EQ(ShownImage(tray), TrayImage(kTraySuspendedImage, 16)) << "a new day stays suspended";
    tray.SetSuspended(false);
    EXPECT_EQ(ShownImage(tray), TrayImage(10, 16));
    tray.SetDay(32);
    EXPECT_EQ(tray.Day(), 10);

    int toggles = 0;
    QObject::connect(&tray, &TTray::Toggled, [&] { ++toggles; });
    auto* icon = tray.findChild<QSystemTrayIcon*>(QStringLiteral("trayIcon"));
    for (auto reason : {QSystemTrayIcon::Trigger, QSystemTrayIcon::Context,
                        QSystemTrayIcon::DoubleClick, QSystemTrayIcon::MiddleClick})
        emit icon->activated(reason);
    EXPECT_EQ(toggles, 1);
    QMenu menu;
    tray.SetContextMenu(&menu);
    EXPECT_EQ(icon->contextMenu(), &menu);
}
