#include "picture/FieldViewPainter.h"

#include <QPainter>
#include <QPolygonF>
#include <algorithm>

#include "field/Equipotentials.h"

namespace tovik {

namespace {

QRgb Rgb(std::int32_t bgr) { return qRgb(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF); }

}  // namespace

void PaintFieldViews(QImage& image, const FieldGrid& grid, const FieldViewOptions& o) {
    if (!o.Any() || grid.Empty()) return;
    image = image.convertToFormat(QImage::Format_RGB32);
    const int w = std::min(image.width(), grid.Width), h = std::min(image.height(), grid.Height);

    // The pixels that carry charge, before anything is painted.
    std::vector<char> charged(static_cast<std::size_t>(w) * h);
    for (int y = 0; y < h; ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < w; ++x) charged[static_cast<std::size_t>(y) * w + x] = qBlue(row[x]) != qRed(row[x]);
    }

    if (o.map != FieldMapKind::None) {
        const Palette& palette = o.map == FieldMapKind::Field ? FieldStrengthPalette() : PotentialPalette();
        const std::vector<std::uint8_t> index = MapIndices(grid, o.map);
        for (int y = 0; y < h; ++y) {
            QRgb* row = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < w; ++x)
                if (!charged[static_cast<std::size_t>(y) * w + x]) row[x] = Rgb(palette[index[grid.At(x, y)]]);
        }
    }

    if (o.equipotentials > 0) {
        // The lines on a layer of their own, then onto the uncharged pixels.
        // The value of pixel (x, y) belongs to the point (x, y), the middle of
        // the painted pixel is at (x + 0.5, y + 0.5).
        QImage layer(w, h, QImage::Format_ARGB32_Premultiplied);
        layer.fill(Qt::transparent);
        {
            QPainter p(&layer);
            p.setRenderHint(QPainter::Antialiasing, false);
            p.setPen(QPen(QColor(Rgb(EquipotentialColour(o.map))), 0));
            for (const double level : EquipotentialLevels(grid, o.equipotentials))
                for (const Contour& line : TraceContours(grid, level)) {
                    QPolygonF poly;
                    poly.reserve(static_cast<int>(line.size()));
                    for (const ContourPoint& c : line) poly << QPointF(c.x + 0.5, c.y + 0.5);
                    p.drawPolyline(poly);
                }
        }
        for (int y = 0; y < h; ++y) {
            QRgb* row = reinterpret_cast<QRgb*>(image.scanLine(y));
            const QRgb* over = reinterpret_cast<const QRgb*>(layer.constScanLine(y));
            for (int x = 0; x < w; ++x)
                if (qAlpha(over[x]) == 255 && !charged[static_cast<std::size_t>(y) * w + x])
                    row[x] = over[x] | 0xFF000000u;
        }
    }
}

}  // namespace tovik
