// The canvas's rectangle, line, text and picture conventions, and colours.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QPalette>

#include "platform/Canvas.h"
#include "platform/Colors.h"
#include "support/TestSupport.h"

namespace {

QRgb Px(const QImage& image, int x, int y) {
    return image.pixel(x, y) | 0xFF000000u;
}

QRgb Rgb(TColor c) {
    return ColorToRgb(c) | 0xFF000000u;
}

struct Surface {
    Surface() : image(60, 40, QImage::Format_RGB32) {
        image.fill(Qt::white);
        canvas.Begin(&image);
    }
    QImage image;
    TCanvas canvas;
};

}  // namespace

TEST(Colors, PlainAndSystemColours) {
    EXPECT_EQ(ColorToQColor(0x0000FF), QColor(255, 0, 0));
    EXPECT_EQ(ColorToQColor(0xBF9F7F), QColor(0x7F, 0x9F, 0xBF));
    EXPECT_EQ(ColorToQColor(clBtnFace), QGuiApplication::palette().color(QPalette::Button));
    EXPECT_EQ(ColorToQColor(SystemColorFlag | 200), QColor(Qt::black));
    EXPECT_EQ(ColorFromQColor(QColor(1, 2, 3)), RGBColor(1, 2, 3));
    EXPECT_EQ(RGBColor(1, 2, 3), 0x030201u);
    EXPECT_TRUE(IsSystemColor(0x8000000F));
    EXPECT_FALSE(IsSystemColor(0x00FFFFFF));
}

TEST(Canvas, RectangleCoversLeftTopUpToRightBottomExclusive) {
    Surface s;
    s.canvas.Brush.SetColor(clRed);
    s.canvas.Pen.Color = clBlue;
    s.canvas.Rectangle(10, 5, 20, 15);
    EXPECT_SAME_PIXEL(Px(s.image, 10, 5), Rgb(clBlue));
    EXPECT_SAME_PIXEL(Px(s.image, 19, 14), Rgb(clBlue));
    EXPECT_SAME_PIXEL(Px(s.image, 15, 10), Rgb(clRed));
    EXPECT_SAME_PIXEL(Px(s.image, 20, 10), Rgb(clWhite));
    EXPECT_SAME_PIXEL(Px(s.image, 15, 15), Rgb(clWhite));
    EXPECT_SAME_PIXEL(Px(s.image, 9, 10), Rgb(clWhite));

    s.canvas.Brush.Style = bsClear;
    s.canvas.Pen.Color = clLime;
    s.canvas.Rectangle(10, 5, 20, 15);
    EXPECT_SAME_PIXEL(Px(s.image, 15, 10), Rgb(clRed));
    EXPECT_SAME_PIXEL(Px(s.image, 10, 10), Rgb(clLime));
    s.canvas.Rectangle(30, 30, 25, 20);  // inverted: nothing
    EXPECT_SAME_PIXEL(Px(s.image, 27, 25), Rgb(clWhite));
}

TEST(Canvas, LinesStopBeforeTheirEndPoint) {
    Surface s;
    s.canvas.Pen.Color = clBlack;
    s.canvas.MoveTo(5, 3);
    s.canvas.LineTo(15, 3);
    EXPECT_SAME_PIXEL(Px(s.image, 5, 3), Rgb(clBlack));
    EXPECT_SAME_PIXEL(Px(s.image, 14, 3), Rgb(clBlack));
    EXPECT_SAME_PIXEL(Px(s.image, 15, 3), Rgb(clWhite));
    s.canvas.LineTo(15, 10);
    EXPECT_SAME_PIXEL(Px(s.image, 15, 3), Rgb(clBlack));
    EXPECT_SAME_PIXEL(Px(s.image, 15, 9), Rgb(clBlack));
    EXPECT_SAME_PIXEL(Px(s.image, 15, 10), Rgb(clWhite));
}

TEST(Canvas, TextBackgroundFollowsTheBrush) {
    Surface s;
    s.canvas.Font.Height = -12;
    s.canvas.Font.Color = clBlack;
    s.canvas.Brush.SetColor(clYellow);
    s.canvas.TextOut(2, 2, QStringLiteral("W"));
    EXPECT_SAME_PIXEL(Px(s.image, 2, 2), Rgb(clYellow));
    s.canvas.Brush.Style = bsClear;
    s.canvas.TextOut(30, 2, QStringLiteral("W"));
    EXPECT_SAME_PIXEL(Px(s.image, 30, 2), Rgb(clWhite));
}

TEST(Canvas, NegativeHeightIsCharacterHeight) {
    TCanvas canvas;
    canvas.Font.Height = -14;
    const int cell = canvas.TextHeight(QStringLiteral("Ag"));
    EXPECT_GE(cell, 15);
    EXPECT_LE(cell, 18);
    canvas.Font.Height = cell;
    EXPECT_NEAR(canvas.TextHeight(QStringLiteral("Ag")), cell, 1);
    canvas.Font.Height = -28;
    EXPECT_GT(canvas.TextWidth(QStringLiteral("11")), 20);
    canvas.Font.SetSize(12);
    EXPECT_EQ(canvas.Font.Height, -16);
    EXPECT_EQ(canvas.Font.Size(), 12);
}

TEST(Canvas, TextRectClipsEvenAVeryLongText) {
    Surface s;
    s.canvas.Font.Height = -12;
    s.canvas.Font.Color = clBlack;
    s.canvas.Brush.Style = bsClear;
    s.canvas.TextRect(TRect{10, 10, 30, 25}, 10, 10, QString(10000, QChar(u'W')));
    int inside = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 60; ++x) {
            const bool in = x >= 10 && x < 30 && y >= 10 && y < 25;
            if (Px(s.image, x, y) == Rgb(clWhite)) continue;
            EXPECT_TRUE(in) << x << "," << y;
            inside += in;
        }
    EXPECT_GT(inside, 10);
}

TEST(Canvas, PicturesWithTransparentColour) {
    Surface s;
    QImage icon(4, 4, QImage::Format_RGB32);
    icon.fill(ColorToRgb(clSilver));
    icon.setPixel(1, 1, qRgb(255, 0, 0));
    s.canvas.Draw(10, 10, icon, clSilver);
    EXPECT_SAME_PIXEL(Px(s.image, 10, 10), Rgb(clWhite));
    EXPECT_SAME_PIXEL(Px(s.image, 11, 11), qRgb(255, 0, 0));
    s.canvas.Draw(20, 10, icon);
    EXPECT_SAME_PIXEL(Px(s.image, 20, 10), Rgb(clSilver));
    const QImage clear = TransparentCopy(icon, clSilver);
    EXPECT_EQ(qAlpha(clear.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(clear.pixel(1, 1)), 255);
}

TEST(Canvas, CopyRectCopiesOnlyWhatLiesOnThePicture) {
    Surface s;
    QImage picture(10, 10, QImage::Format_RGB32);
    picture.fill(qRgb(0, 0, 255));
    s.canvas.CopyRect(TRect{0, 0, 20, 20}, picture, TRect{5, 5, 25, 25});
    EXPECT_SAME_PIXEL(Px(s.image, 0, 0), qRgb(0, 0, 255));
    EXPECT_SAME_PIXEL(Px(s.image, 4, 4), qRgb(0, 0, 255));
    EXPECT_SAME_PIXEL(Px(s.image, 6, 6), Rgb(clWhite));
    s.canvas.StretchDraw(TRect{40, 0, 60, 20}, picture);
    EXPECT_SAME_PIXEL(Px(s.image, 59, 19), qRgb(0, 0, 255));
}

TEST(Canvas, DrawingOutsideASessionDoesNothing) {
    QImage image(10, 10, QImage::Format_RGB32);
    image.fill(Qt::white);
    TCanvas canvas;
    canvas.Brush.SetColor(clRed);
    canvas.Rectangle(0, 0, 10, 10);
    canvas.TextOut(0, 0, QStringLiteral("x"));
    EXPECT_SAME_PIXEL(Px(image, 5, 5), Rgb(clWhite));
    {
        TCanvasSession outer(canvas, &image);
        { TCanvasSession inner(canvas, &image); }
        EXPECT_TRUE(canvas.IsActive());
        canvas.Rectangle(0, 0, 10, 10);
    }
    EXPECT_FALSE(canvas.IsActive());
    EXPECT_SAME_PIXEL(Px(image, 5, 5), Rgb(clRed));
    QImage empty;
    EXPECT_FALSE(canvas.Begin(&empty));
}
