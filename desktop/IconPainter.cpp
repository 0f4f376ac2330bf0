// Build-time painter of the program's icon as PNG files for the hicolor
// sizes. It draws the same calendar page as org.vornel.Vornel.svg, from the
// same coordinates on a 256-unit canvas, so the two stay alike without an
// SVG renderer (only the smallest sizes simplify the days). Arguments: the output folder, then the
// sizes in pixels; each size lands in <folder>/<N>x<N>/apps/org.vornel.Vornel.png.
#include <QColor>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QRectF>
#include <cstdio>

namespace {

const QColor kFrame(0x3d, 0x44, 0x52);
const QColor kHeader(0xe0, 0x48, 0x3e);
const QColor kPage(0xff, 0xff, 0xff);
const QColor kDay(0xc9, 0xce, 0xd8);

void Fill(QPainter& p, const QRectF& r, double radius, const QColor& color) {
    p.setBrush(color);
    p.drawRoundedRect(r, radius, radius);
}

// The page: a dark frame, the red header with square lower corners, the
// white sheet with square upper corners, and two binding rings.
void PaintPage(QPainter& p) {
    Fill(p, {24, 40, 208, 192}, 28, kFrame);
    Fill(p, {36, 52, 184, 52}, 16, kHeader);
    Fill(p, {36, 80, 184, 24}, 0, kHeader);
    Fill(p, {36, 104, 184, 116}, 16, kPage);
    Fill(p, {36, 104, 184, 20}, 0, kPage);
    Fill(p, {76, 24, 20, 48}, 10, kFrame);
    Fill(p, {160, 24, 20, 48}, 10, kFrame);
}

// Four columns and three rows of days, one of them marked as today. Below
// 32 pixels such cells blur into grey, so small icons get three larger
// days in two rows instead.
void PaintDays(QPainter& p, int size) {
    const bool small = size < 32;
    const int cols = small ? 3 : 4, rows = small ? 2 : 3;
    const QSizeF cell = small ? QSizeF(40, 28) : QSizeF(27, 20);
    const QPointF step = small ? QPointF(52, 44) : QPointF(39, 32);
    const QPointF origin = small ? QPointF(56, 128) : QPointF(56, 120);
    for (int row = 0; row < rows; ++row)
        for (int col = 0; col < cols; ++col) {
            const bool today = row == 1 && col == cols - 2;
            Fill(p, {origin + QPointF(col * step.x(), row * step.y()), cell}, 4,
                 today ? kHeader : kDay);
        }
}

QImage PaintIcon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.scale(size / 256.0, size / 256.0);
    PaintPage(p);
    PaintDays(p, size);
    return image;
}

bool WriteIcon(const QString& folder, int size) {
    const QString dir = QStringLiteral("%1/%2x%2/apps").arg(folder).arg(size);
    if (!QDir().mkpath(dir)) return false;
    return PaintIcon(size).save(dir + QStringLiteral("/org.vornel.Vornel.png"), "PNG");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s FOLDER SIZE...\n", argv[0]);
        return 2;
    }
    for (int i = 2; i < argc; ++i) {
        const int size = QString::fromLocal8Bit(argv[i]).toInt();
        if (size < 1 || size > 1024 || !WriteIcon(QString::fromLocal8Bit(argv[1]), size)) {
            std::fprintf(stderr, "cannot write the %s pixel icon\n", argv[i]);
            return 1;
        }
    }
    return 0;
}
