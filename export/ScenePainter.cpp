#include "export/ScenePainter.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

#include "export/PolylineClipper.h"
#include "export/PolylineSimplifier.h"

namespace tovik {

namespace {

const QColor LineColour(255, 255, 255);
// Equipotential lines shorter than this get no value written on them.
constexpr double LabelledLength = 60;

double Length(const std::vector<QPointF>& line) {
    double sum = 0;
    for (std::size_t i = 1; i < line.size(); ++i) sum += std::hypot(line[i].x() - line[i - 1].x(), line[i].y() - line[i - 1].y());
    return sum;
}

// The point at `distance` along the line, from its first point.
QPointF PointAlong(const std::vector<QPointF>& line, double distance) {
    for (std::size_t i = 1; i < line.size(); ++i) {
        const double d = std::hypot(line[i].x() - line[i - 1].x(), line[i].y() - line[i - 1].y());
        if (distance <= d && d > 0) return line[i - 1] + (line[i] - line[i - 1]) * (distance / d);
        distance -= d;
    }
    return line.back();
}

QFont SmallFont(double pixels) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(static_cast<int>(pixels));
    return f;
}

}  // namespace

void ScenePainter::PaintBackground(QPainter& p) const {
    p.setRenderHint(QPainter::SmoothPixmapTransform, false);
    p.drawImage(QPointF(0, 0), scene_.picture);
    if (!scene_.map.isNull()) p.drawImage(QPointF(0, 0), scene_.map);
    PaintEquipotentials(p);
    PaintColourBar(p);
}

void ScenePainter::PaintEquipotentials(QPainter& p) const {
    if (scene_.equipotentials.empty()) return;
    p.setPen(QPen(scene_.equipotentialColour, 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    for (const ExportContour& c : scene_.equipotentials)
        if (c.points.size() > 1) p.drawPolyline(c.points.data(), static_cast<int>(c.points.size()));
    // Each long enough line's value at its middle.
    p.setFont(SmallFont(9));
    for (const ExportContour& c : scene_.equipotentials) {
        const double length = Length(c.points);
        if (length < LabelledLength) continue;
        p.drawText(PointAlong(c.points, length / 2) + QPointF(2, -2), QString::number(c.level, 'g', 3));
    }
}

std::size_t ScenePainter::LineCount() const { return scene_.lines ? scene_.lines->Lines().size() : 0; }

std::vector<std::size_t> ScenePainter::LineRuns(long points) const {
    std::vector<std::size_t> ends;
    long run = 0;
    for (std::size_t i = 0; i < LineCount(); ++i) {
        for (const DrawnBranch& b : scene_.lines->Lines()[i].branches) run += static_cast<long>(b.trace.points.size());
        if (run >= points) {
            ends.push_back(i + 1);
            run = 0;
        }
    }
    if (ends.empty() || ends.back() != LineCount()) ends.push_back(LineCount());
    return ends;
}

void ScenePainter::PaintLines(QPainter& p, std::size_t first, std::size_t last) const {
    // Each branch one polyline in the order drawn, from the middle of the
    // pixel each point falls on; the arrows after the lines, so that the
    // lines of a run share their style.
    const PolylineSimplifier thin(ExportTolerance);
    std::vector<std::pair<std::vector<QPointF>, bool>> thinned;
    std::vector<QPointF> dots;
    p.setPen(QPen(LineColour, 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    const QRectF area = QRectF(QPointF(0, 0), QSizeF(scene_.size())).adjusted(-2, -2, 2, 2);
    for (std::size_t i = first; i < last && i < LineCount(); ++i)
        for (const DrawnBranch& b : scene_.lines->Lines()[i].branches) {
            const std::vector<TracePoint>& pts = b.trace.points;
            const std::vector<QPointF> whole = thin.Simplify(pts.size(), [&](std::size_t k) {
                return QPointF(pts[k].x + 0.5, pts[k].y + 0.5);
            });
            // What lies outside the picture is left out; a branch that leaves
            // it and comes back is one path of several pieces.
            std::vector<std::vector<QPointF>> pieces = ClippedPieces(whole, area);
            if (pieces.size() == 1 && pieces.front().size() == 1) dots.push_back(pieces.front().front());
            else if (pieces.size() == 1) p.drawPolyline(pieces.front().data(), static_cast<int>(pieces.front().size()));
            else if (pieces.size() > 1) {
                QPainterPath path;
                for (const std::vector<QPointF>& piece : pieces) {
                    path.moveTo(piece.front());
                    for (std::size_t k = 1; k < piece.size(); ++k) path.lineTo(piece[k]);
                }
                p.drawPath(path);
            }
            if (scene_.arrowSpacing > 0)
                for (std::vector<QPointF>& piece : pieces)
                    if (piece.size() > 1) thinned.emplace_back(std::move(piece), b.inputs.parameters.step > 0);
        }
    // A branch that never left its start pixel: that pixel.
    p.setPen(Qt::NoPen);
    p.setBrush(LineColour);
    for (const QPointF& d : dots) p.drawRect(QRectF(std::nearbyint(d.x() - 0.5), std::nearbyint(d.y() - 0.5), 1, 1));
    for (const auto& [line, along] : thinned) PaintArrows(p, line, along);
}

// Arrows every `arrowSpacing` px of the line, pointing along the field: the
// way the branch was traced when its step was positive, else against it.
void ScenePainter::PaintArrows(QPainter& p, const std::vector<QPointF>& line, bool alongField) const {
    const double spacing = scene_.arrowSpacing;
    double next = spacing;
    double walked = 0;
    for (std::size_t i = 1; i < line.size(); ++i) {
        const QPointF a = line[i - 1], b = line[i];
        const double d = std::hypot(b.x() - a.x(), b.y() - a.y());
        if (d <= 0) continue;
        QPointF dir = (b - a) / d;
        if (!alongField) dir = -dir;
        const QPointF normal(-dir.y(), dir.x());
        for (; next <= walked + d; next += spacing) {
            const QPointF at = a + (b - a) * ((next - walked) / d);
            const QPointF tip = at + dir * 3.5, back = at - dir * 3.5;
            const QPointF arrow[3] = {tip, back + normal * 2.5, back - normal * 2.5};
            p.drawPolygon(arrow, 3);
        }
        walked += d;
    }
}

void ScenePainter::PaintColourBar(QPainter& p) const {
    const ColourBar& bar = scene_.bar;
    if (bar.kind == FieldMapKind::None || !bar.palette) return;
    const QFont font = SmallFont(10);
    const QFontMetricsF metrics(font);
    constexpr int Ticks = 5;
    QStringList values;
    double widest = metrics.horizontalAdvance(bar.heading);
    for (int k = 0; k < Ticks; ++k) {
        values << QString::number(MapValueAt(bar.kind, bar.scale, 1.0 - k / (Ticks - 1.0)), 'g', 3);
        widest = std::max(widest, 26 + metrics.horizontalAdvance(values.back()));
    }
    // In the bottom-right corner, on a dark ground of its own.
    const double barHeight = 120, pad = 6, line = metrics.height();
    const QSizeF box(widest + 2 * pad, barHeight + line + 3 * pad);
    const QPointF at(scene_.size().width() - box.width() - 8, scene_.size().height() - box.height() - 8);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 40, 40, 210));
    p.drawRect(QRectF(at, box));

    const QRectF ramp(at.x() + pad, at.y() + 2 * pad + line, 12, barHeight);
    QLinearGradient g(ramp.bottomLeft(), ramp.topLeft());
    for (int k = 0; k <= 16; ++k) {
        const std::int32_t c = (*bar.palette)[static_cast<std::size_t>(std::min(255, k * 16))];
        g.setColorAt(k / 16.0, QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF));
    }
    p.setBrush(g);
    p.drawRect(ramp);

    p.setFont(font);
    p.setPen(QColor(255, 255, 255));
    p.drawText(QPointF(at.x() + pad, at.y() + pad + metrics.ascent()), bar.heading);
    for (int k = 0; k < Ticks; ++k) {
        const double y = ramp.top() + ramp.height() * k / (Ticks - 1.0);
        p.drawLine(QPointF(ramp.right(), y), QPointF(ramp.right() + 4, y));
        p.drawText(QPointF(ramp.right() + 8, y + metrics.ascent() / 2 - 1), values[k]);
    }
}

}  // namespace tovik
