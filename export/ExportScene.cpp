#include "export/ExportScene.h"

#include <algorithm>

#include "export/PolylineSimplifier.h"
#include "field/Equipotentials.h"

namespace tovik {

namespace {

QColor ColourOf(std::int32_t bgr) { return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF); }

// The map over the uncharged pixels (blue differs from red on charged ones),
// transparent elsewhere, so the picture shows through.
QImage MapLayer(const QImage& picture, const FieldGrid& grid, FieldMapKind kind) {
    QImage layer(picture.size(), QImage::Format_ARGB32);
    layer.fill(Qt::transparent);
    const Palette& palette = kind == FieldMapKind::Field ? FieldStrengthPalette() : PotentialPalette();
    const std::vector<std::uint8_t> index = MapIndices(grid, kind);
    const int w = std::min(picture.width(), grid.Width), h = std::min(picture.height(), grid.Height);
    for (int y = 0; y < h; ++y) {
        const QRgb* under = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        QRgb* row = reinterpret_cast<QRgb*>(layer.scanLine(y));
        for (int x = 0; x < w; ++x)
            if (qBlue(under[x]) == qRed(under[x])) row[x] = ColourOf(palette[index[grid.At(x, y)]]).rgb();
    }
    return layer;
}

}  // namespace

ExportScene BuildExportScene(const QImage& drawingArea, const FieldGrid* grid, const FieldViewOptions& options,
                             const DrawnLines& lines, double arrowSpacing, const ExportTexts& texts) {
    ExportScene s;
    s.picture = drawingArea.convertToFormat(QImage::Format_RGB32);
    s.lines = &lines;
    s.arrowSpacing = arrowSpacing;
    s.title = texts.title;
    s.equipotentialColour = ColourOf(EquipotentialColour(options.map));
    if (!grid || grid->Empty()) return s;
    if (options.map != FieldMapKind::None) {
        s.map = MapLayer(s.picture, *grid, options.map);
        s.bar.kind = options.map;
        s.bar.scale = MapScaleOf(*grid, options.map);
        s.bar.palette = options.map == FieldMapKind::Field ? &FieldStrengthPalette() : &PotentialPalette();
        s.bar.heading = options.map == FieldMapKind::Field ? texts.fieldScale : texts.potentialScale;
    }
    const PolylineSimplifier thin(ExportTolerance);
    for (const double level : EquipotentialLevels(*grid, options.equipotentials))
        for (const Contour& c : TraceContours(*grid, level))
            s.equipotentials.push_back(
                {level, thin.Simplify(c.size(), [&](std::size_t i) { return QPointF(c[i].x + 0.5, c[i].y + 0.5); })});
    return s;
}

}  // namespace tovik
