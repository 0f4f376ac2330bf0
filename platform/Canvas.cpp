#include "platform/Canvas.h"

#include <QFontMetrics>
#include <algorithm>
#include <cmath>

namespace {

// Pixel size of a font state: a negative height is the em height itself; a
// positive one is the cell height, which the face's ascent and descent share.
int PixelSizeFor(const QString& family, int height) {
    if (height < 0) return std::clamp(-height, 1, 20000);
    if (height == 0) return 12;
    QFont probe(family);
    probe.setPixelSize(100);
    const QFontMetrics fm(probe);
    const int cell = std::max(1, fm.ascent() + fm.descent());
    return std::clamp(int(std::lround(height * 100.0 / cell)), 1, 20000);
}

}  // namespace

int TFont::Size() const {
    const int ppi = PixelsPerInch > 0 ? PixelsPerInch : 96;
    return int(std::lround(-Height * 72.0 / ppi));
}

void TFont::SetSize(int points) {
    const int ppi = PixelsPerInch > 0 ? PixelsPerInch : 96;
    Height = -int(std::lround(points * double(ppi) / 72.0));
}

TCanvas::TCanvas() = default;

TCanvas::~TCanvas() {
    End();
}

bool TCanvas::Begin(QPaintDevice* device) {
    End();
    if (device == nullptr || device->width() <= 0 || device->height() <= 0) return false;
    painter_ = std::make_unique<QPainter>();
    if (!painter_->begin(device)) {
        painter_.reset();
        return false;
    }
    device_ = device;
    return true;
}

void TCanvas::End() {
    if (painter_) painter_->end();
    painter_.reset();
    device_ = nullptr;
}

bool TCanvas::IsActive() const {
    return painter_ != nullptr;
}

QPainter* TCanvas::painter() {
    return painter_.get();
}

const QFont& TCanvas::CurrentFont() {
    if (fontName_ != Font.Name || fontHeight_ != Font.Height || fontStyle_ != Font.Style ||
        fontPpi_ != Font.PixelsPerInch) {
        fontName_ = Font.Name;
        fontHeight_ = Font.Height;
        fontStyle_ = Font.Style;
        fontPpi_ = Font.PixelsPerInch;
        font_ = QFont(Font.Name);
        font_.setPixelSize(PixelSizeFor(Font.Name, Font.Height));
        font_.setBold(Font.Style & fsBold);
        font_.setItalic(Font.Style & fsItalic);
        font_.setUnderline(Font.Style & fsUnderline);
        font_.setStrikeOut(Font.Style & fsStrikeOut);
    }
    return font_;
}

void TCanvas::FillRect(const TRect& r) {
    QPainter* p = painter();
    if (!p || r.IsEmpty() || Brush.Style == bsClear) return;
    p->fillRect(r.ToQRect(), ColorToQColor(Brush.Color));
}

void TCanvas::Rectangle(int left, int top, int right, int bottom) {
    QPainter* p = painter();
    const TRect r{left, top, right, bottom};
    if (!p || r.IsEmpty()) return;
    if (Brush.Style != bsClear) p->fillRect(r.ToQRect(), ColorToQColor(Brush.Color));
    if (Pen.Style == psClear || Pen.Width < 1) return;
    // The outline lies inside the rectangle, Pen.Width pixels thick.
    const QColor c = ColorToQColor(Pen.Color);
    const int w = std::min(Pen.Width, std::max(1, std::min(r.Width(), r.Height()) / 2));
    p->fillRect(QRect(left, top, r.Width(), w), c);
    p->fillRect(QRect(left, bottom - w, r.Width(), w), c);
    p->fillRect(QRect(left, top, w, r.Height()), c);
    p->fillRect(QRect(right - w, top, w, r.Height()), c);
}

void TCanvas::ApplyPen() {
    QPainter* p = painter();
    if (Pen.Style == psClear) {
        p->setPen(Qt::NoPen);
        return;
    }
    QPen pen(ColorToQColor(Pen.Color));
    pen.setWidth(std::max(1, Pen.Width));
    pen.setCapStyle(Qt::FlatCap);
    p->setPen(pen);
}

void TCanvas::RoundRect(int left, int top, int right, int bottom, int ellipseW, int ellipseH) {
    QPainter* p = painter();
    if (!p || right - left < 1 || bottom - top < 1) return;
    p->setRenderHint(QPainter::Antialiasing, false);
    ApplyPen();
    if (Brush.Style == bsClear)
        p->setBrush(Qt::NoBrush);
    else
        p->setBrush(ColorToQColor(Brush.Color));
    p->drawRoundedRect(QRect(left, top, right - left - 1, bottom - top - 1), ellipseW / 2.0,
                       ellipseH / 2.0);
    p->setBrush(Qt::NoBrush);
}

void TCanvas::MoveTo(int x, int y) {
    penX_ = x;
    penY_ = y;
}

void TCanvas::LineTo(int x, int y) {
    QPainter* p = painter();
    const int x0 = penX_, y0 = penY_;
    penX_ = x;
    penY_ = y;
    if (!p || (x == x0 && y == y0) || Pen.Style == psClear) return;
    const QColor c = ColorToQColor(Pen.Color);
    const int w = std::max(1, Pen.Width);
    if (y == y0) {
        const int a = std::min(x0, x == std::max(x0, x) ? x - 1 : x + 1);
        const int b = std::max(x0, x == std::max(x0, x) ? x - 1 : x + 1);
        p->fillRect(QRect(a, y0 - (w - 1) / 2, b - a + 1, w), c);
    } else if (x == x0) {
        const int a = std::min(y0, y == std::max(y0, y) ? y - 1 : y + 1);
        const int b = std::max(y0, y == std::max(y0, y) ? y - 1 : y + 1);
        p->fillRect(QRect(x0 - (w - 1) / 2, a, w, b - a + 1), c);
    } else {
        p->setRenderHint(QPainter::Antialiasing, false);
        ApplyPen();
        p->drawLine(x0, y0, x, y);
    }
}

void TCanvas::TextOut(int x, int y, const QString& text) {
    QPainter* p = painter();
    if (!p || text.isEmpty()) return;
    const QFont& font = CurrentFont();
    const QFontMetrics fm(font, device_);
    if (Brush.Style != bsClear)
        p->fillRect(QRect(x, y, fm.horizontalAdvance(text), fm.ascent() + fm.descent()),
                    ColorToQColor(Brush.Color));
    p->setFont(font);
    p->setPen(ColorToQColor(Font.Color));
    p->drawText(QPoint(x, y + fm.ascent()), text);
}

void TCanvas::TextRect(const TRect& r, int x, int y, const QString& text) {
    QPainter* p = painter();
    if (!p || r.IsEmpty()) return;
    if (Brush.Style != bsClear) p->fillRect(r.ToQRect(), ColorToQColor(Brush.Color));
    if (text.isEmpty()) return;
    const QFont& font = CurrentFont();
    const QFontMetrics fm(font, device_);
    p->save();
    p->setClipRect(r.ToQRect());
    p->setFont(font);
    p->setPen(ColorToQColor(Font.Color));
    // Every character is at least a pixel wide, so only the first characters
    // can reach the rectangle: a very long text costs no more than a short one.
    const int room = std::max(0, r.Right - x) + 8;
    const QString shown = text.size() > room ? text.left(room) : text;
    p->drawText(QPoint(x, y + fm.ascent()), shown);
    p->restore();
}

int TCanvas::TextWidth(const QString& text) {
    return QFontMetrics(CurrentFont(), device_).horizontalAdvance(text);
}

int TCanvas::TextHeight(const QString& text) {
    Q_UNUSED(text);
    const QFontMetrics fm(CurrentFont(), device_);
    return fm.ascent() + fm.descent();
}

void TCanvas::Draw(int x, int y, const QImage& picture) {
    QPainter* p = painter();
    if (!p || picture.isNull()) return;
    p->drawImage(QPoint(x, y), picture);
}

void TCanvas::Draw(int x, int y, const QImage& picture, TColor transparentColor) {
    Draw(x, y, TransparentCopy(picture, transparentColor));
}

void TCanvas::StretchDraw(const TRect& r, const QImage& picture) {
    QPainter* p = painter();
    if (!p || picture.isNull() || r.IsEmpty()) return;
    p->drawImage(r.ToQRect(), picture);
}

void TCanvas::CopyRect(const TRect& dest, const QImage& source, const TRect& sourceRect) {
    QPainter* p = painter();
    if (!p || source.isNull() || dest.IsEmpty() || sourceRect.IsEmpty()) return;
    // Only the part of the source that lies on the picture is copied, to the
    // matching part of the destination; the rest of the destination is kept.
    const QRect src = sourceRect.ToQRect();
    const QRect clipped = src.intersected(source.rect());
    if (clipped.isEmpty()) return;
    const double sx = double(dest.Width()) / src.width();
    const double sy = double(dest.Height()) / src.height();
    const QRectF target(dest.Left + (clipped.left() - src.left()) * sx,
                        dest.Top + (clipped.top() - src.top()) * sy, clipped.width() * sx,
                        clipped.height() * sy);
    p->drawImage(target, source, QRectF(clipped));
}

TCanvasSession::TCanvasSession(TCanvas& canvas, QPaintDevice* device) : canvas_(canvas) {
    if (!canvas_.IsActive()) began_ = canvas_.Begin(device);
}

TCanvasSession::~TCanvasSession() {
    if (began_) canvas_.End();
}

QImage TransparentCopy(const QImage& picture, TColor transparentColor) {
    if (picture.isNull()) return picture;
    QImage out = picture.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = ColorToRgb(transparentColor) & 0xFFFFFF;
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x)
            if ((line[x] & 0xFFFFFF) == key) line[x] = 0;
    }
    return out;
}
