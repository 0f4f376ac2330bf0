// A small drawing surface over QPainter that keeps brush, pen and font state
// between calls, with the integer rectangle conventions of the calendar's
// painting: a rectangle (l, t, r, b) covers the pixels l..r-1 and t..b-1.
#pragma once

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QString>
#include <memory>

#include "platform/Colors.h"

struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    QRect ToQRect() const { return QRect(Left, Top, Right - Left, Bottom - Top); }
    bool operator==(const TRect&) const = default;
};

enum TBrushStyle { bsSolid, bsClear };
enum TPenStyle { psSolid, psClear };

// Font style bits.
enum : int { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

struct TBrush {
    TColor Color = clWhite;
    TBrushStyle Style = bsSolid;
    // Choosing a colour makes the fill solid again, as a cleared brush would
    // otherwise keep painting nothing.
    void SetColor(TColor color) {
        Color = color;
        Style = bsSolid;
    }
};

struct TPen {
    TColor Color = clBlack;
    int Width = 1;
    TPenStyle Style = psSolid;
};

struct TFont {
    QString Name = QStringLiteral("Arial");
    // Negative: character height in pixels; positive: cell height
    // (ascent plus descent) in pixels.
    int Height = -12;
    TColor Color = clBlack;
    int Style = 0;
    int PixelsPerInch = 96;

    int Size() const;
    void SetSize(int points);
};

class TCanvas {
public:
    TCanvas();
    ~TCanvas();
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    TBrush Brush;
    TPen Pen;
    TFont Font;

    // Starts drawing on a device; drawing calls outside Begin/End do nothing
    // (measuring works at any time).
    bool Begin(QPaintDevice* device);
    void End();
    bool IsActive() const;
    QPaintDevice* Device() const { return device_; }

    // Fills with the brush (unless cleared) and outlines with the pen.
    void Rectangle(int left, int top, int right, int bottom);
    void Rectangle(const TRect& r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
    void FillRect(const TRect& r);  // brush only, no outline
    void RoundRect(int left, int top, int right, int bottom, int ellipseW, int ellipseH);
    // Lines end one pixel before the end point, like a pen moved along them.
    void MoveTo(int x, int y);
    void LineTo(int x, int y);

    // Text with its cell's top-left corner at (x, y). A solid brush fills the
    // text's cell first; a cleared brush leaves the background.
    void TextOut(int x, int y, const QString& text);
    // Text from (x, y), clipped to r; a solid brush fills all of r.
    void TextRect(const TRect& r, int x, int y, const QString& text);
    int TextWidth(const QString& text);
    int TextHeight(const QString& text);

    // Pictures: Draw honours the picture's alpha; the overload with a colour
    // skips the pixels of that colour. StretchDraw scales into r; CopyRect
    // scales the source rectangle of a picture into dest.
    void Draw(int x, int y, const QImage& picture);
    void Draw(int x, int y, const QImage& picture, TColor transparentColor);
    void StretchDraw(const TRect& r, const QImage& picture);
    void CopyRect(const TRect& dest, const QImage& source, const TRect& sourceRect);

    // The Qt font the current font state stands for.
    const QFont& CurrentFont();

private:
    void ApplyPen();
    QPainter* painter();

    QPaintDevice* device_ = nullptr;
    std::unique_ptr<QPainter> painter_;
    int penX_ = 0;
    int penY_ = 0;
    // Cache of the Qt font for the last font state.
    QFont font_;
    QString fontName_;
    int fontHeight_ = 0;
    int fontStyle_ = -1;
    int fontPpi_ = 0;
};

// Begins drawing on a device unless the canvas is already drawing, and ends
// it again at the end of the scope only when it began it, so nested painting
// steps share one painter.
class TCanvasSession {
public:
    TCanvasSession(TCanvas& canvas, QPaintDevice* device);
    ~TCanvasSession();
    TCanvasSession(const TCanvasSession&) = delete;
    TCanvasSession& operator=(const TCanvasSession&) = delete;

private:
    TCanvas& canvas_;
    bool began_ = false;
};

// A copy of a picture in which the pixels of one colour are transparent.
QImage TransparentCopy(const QImage& picture, TColor transparentColor);
