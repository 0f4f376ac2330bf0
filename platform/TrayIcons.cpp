#include "platform/TrayIcons.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <algorithm>

namespace {

// A red header over a white leaf with a dark rim reads on light and dark
// panels alike; the suspended leaf is grey all over.
const QColor kRim(60, 60, 60);
const QColor kHeader(206, 44, 44);
const QColor kLeaf(255, 255, 255);
const QColor kNumber(25, 25, 25);
const QColor kSuspendedHeader(128, 128, 128);
const QColor kSuspendedLeaf(215, 215, 215);
const QColor kSuspendedMark(90, 90, 90);

struct LeafGeometry {
    QRectF outer;   // the whole leaf, rim included
    QRectF body;    // below the header, inside the rim
    QRectF digits;  // the part of the body the number may cover
    qreal rim;
    qreal radius;
};

LeafGeometry Geometry(int size) {
    LeafGeometry g;
    g.rim = std::max(1.0, size / 16.0);
    g.radius = size / 8.0;
    g.outer = QRectF(0, 0, size, size);
    // A thin header keeps as much height as possible for the digits.
    const qreal header = std::max(3.0, std::round(size * 0.22));
    g.body = QRectF(g.rim, header, size - 2 * g.rim, size - header - g.rim);
    // Digits that touch the rim merge with it on a small icon.
    const qreal gap = std::max(0.5, (size - 12) / 12.0);
    g.digits = g.body.adjusted(gap, 0, -gap, 0);
    return g;
}

void DrawLeaf(QPainter& p, const LeafGeometry& g, const QColor& header, const QColor& leaf) {
    QPainterPath outline;
    outline.addRoundedRect(g.outer, g.radius, g.radius);
    p.fillPath(outline, kRim);
    QPainterPath inner;
    const QRectF innerRect = g.outer.adjusted(g.rim, g.rim, -g.rim, -g.rim);
    inner.addRoundedRect(innerRect, g.radius - g.rim / 2, g.radius - g.rim / 2);
    p.fillPath(inner, leaf);
    p.save();
    p.setClipPath(inner);
    p.fillRect(QRectF(innerRect.left(), innerRect.top(), innerRect.width(),
                      g.body.top() - innerRect.top()),
               header);
    p.restore();
}

QFont NumberFont() {
    QFont font;
    font.setFamilies({QStringLiteral("DejaVu Sans Condensed"),
                      QStringLiteral("Liberation Sans Narrow"), QStringLiteral("DejaVu Sans"),
                      QStringLiteral("Liberation Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setWeight(QFont::Bold);
    return font;
}

// The largest bold face whose digits fit the box.
QFont FittedFont(const QString& text, const QRectF& box) {
    QFont font = NumberFont();
    for (int px = int(box.height()) + 2; px > 5; --px) {
        font.setPixelSize(px);
        const QRect ink = QFontMetrics(font).tightBoundingRect(text);
        if (ink.width() <= box.width() && ink.height() <= box.height()) break;
    }
    return font;
}

void DrawNumber(QPainter& p, const LeafGeometry& g, int day) {
    const QString text = QString::number(day);
    const QFont font = FittedFont(text, g.digits);
    const QRect ink = QFontMetrics(font).tightBoundingRect(text);
    // Centre the ink, not the line box: digits have no descent, and a line
    // box centred would sit the number visibly high.
    const qreal x = g.digits.center().x() - ink.width() / 2.0 - ink.left();
    const qreal y = g.digits.center().y() - ink.height() / 2.0 - ink.top();
    p.setFont(font);
    p.setPen(kNumber);
    p.drawText(QPointF(std::round(x), std::round(y)), text);
}

void DrawPause(QPainter& p, const LeafGeometry& g) {
    const qreal bar = std::max(2.0, std::round(g.body.width() / 5));
    const qreal height = std::round(g.body.height() * 0.6);
    const qreal top = std::round(g.body.center().y() - height / 2);
    const qreal cx = g.body.center().x();
    p.fillRect(QRectF(std::round(cx - bar * 1.5), top, bar, height), kSuspendedMark);
    p.fillRect(QRectF(std::round(cx + bar * 0.5), top, bar, height), kSuspendedMark);
}

}  // namespace

QImage TrayImage(int n, int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const LeafGeometry g = Geometry(size);
    if (n >= 1 && n <= 31) {
        DrawLeaf(p, g, kHeader, kLeaf);
        DrawNumber(p, g, n);
    } else {
        DrawLeaf(p, g, kSuspendedHeader, kSuspendedLeaf);
        DrawPause(p, g);
    }
    p.end();
    return image;
}

QIcon TrayIcon(int n) {
    QIcon icon;
    for (int size : kTrayIconSizes)
        icon.addPixmap(QPixmap::fromImage(TrayImage(n, size)));
    return icon;
}
