#pragma once

#include <QPointF>
#include <cstddef>
#include <functional>
#include <vector>

namespace tovik {

// Greatest deviation of an exported line from the traced one, in pixels.
inline constexpr double ExportTolerance = 0.25;

// Thins a polyline for a vector picture: Douglas–Peucker with a greatest
// deviation of `tolerance`, then every coordinate rounded to 0.01. The first
// and the last point always stay. Long polylines are thinned in windows of a
// bounded number of points, so that time and memory grow with the length
// alone.
class PolylineSimplifier {
public:
    explicit PolylineSimplifier(double tolerance) : tolerance_(tolerance) {}

    // The points of a polyline of `count` points, `point(i)` giving the i-th;
    // a single point stays one point, none gives none.
    std::vector<QPointF> Simplify(std::size_t count, const std::function<QPointF(std::size_t)>& point) const;

    // The largest number of points thinned at once.
    static constexpr std::size_t Window = 4096;

private:
    void Thin(const std::vector<QPointF>& in, std::vector<QPointF>& out) const;

    double tolerance_;
};

}  // namespace tovik
