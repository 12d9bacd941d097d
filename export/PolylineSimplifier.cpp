#include "export/PolylineSimplifier.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace tovik {

namespace {

double Rounded(double v) { return std::round(v * 100.0) / 100.0; }

// Distance of p from the segment a-b.
double Distance(const QPointF& p, const QPointF& a, const QPointF& b) {
    const double dx = b.x() - a.x(), dy = b.y() - a.y();
    const double length2 = dx * dx + dy * dy;
    double t = length2 > 0 ? ((p.x() - a.x()) * dx + (p.y() - a.y()) * dy) / length2 : 0;
    t = t < 0 ? 0 : t > 1 ? 1 : t;
    return std::hypot(p.x() - (a.x() + t * dx), p.y() - (a.y() + t * dy));
}

}  // namespace

// Appends the kept points of `in` after its first, which the caller has.
void PolylineSimplifier::Thin(const std::vector<QPointF>& in, std::vector<QPointF>& out) const {
    const std::size_t n = in.size();
    std::vector<char> keep(n, 0);
    keep[0] = keep[n - 1] = 1;
    std::vector<std::pair<std::size_t, std::size_t>> pending{{0, n - 1}};
    while (!pending.empty()) {
        const auto [first, last] = pending.back();
        pending.pop_back();
        double worst = -1;
        std::size_t at = first;
        for (std::size_t i = first + 1; i < last; ++i) {
            const double d = Distance(in[i], in[first], in[last]);
            if (d > worst) {
                worst = d;
                at = i;
            }
        }
        if (worst > tolerance_) {
            keep[at] = 1;
            pending.emplace_back(first, at);
            pending.emplace_back(at, last);
        }
    }
    for (std::size_t i = 1; i < n; ++i)
        if (keep[i]) out.push_back(in[i]);
}

std::vector<QPointF> PolylineSimplifier::Simplify(std::size_t count,
                                                  const std::function<QPointF(std::size_t)>& point) const {
    std::vector<QPointF> out;
    if (count == 0) return out;
    out.push_back(point(0));
    std::vector<QPointF> window;
    // Windows overlap by one point: each begins where the last one ended.
    for (std::size_t begin = 0; begin + 1 < count; begin += Window - 1) {
        const std::size_t end = std::min(count, begin + Window);
        window.clear();
        for (std::size_t i = begin; i < end; ++i) window.push_back(point(i));
        Thin(window, out);
    }
    // Rounding may make neighbours equal; they are dropped.
    std::size_t kept = 0;
    for (const QPointF& p : out) {
        const QPointF r(Rounded(p.x()), Rounded(p.y()));
        if (kept == 0 || r != out[kept - 1]) out[kept++] = r;
    }
    out.resize(kept);
    return out;
}

}  // namespace tovik
