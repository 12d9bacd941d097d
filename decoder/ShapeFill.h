#pragma once

// Fills the closed shapes of a Windows metafile into a raster of 32-bit
// pixels with one solid colour and no anti-aliasing, as Windows fills them:
// a pixel is filled when its centre lies inside the shape. Coordinates are
// in pixels of the raster, continuous, x to the right and y downwards; the
// pixel (i, j) covers [i, i + 1) x [j, j + 1), so a rectangle from (10, 10)
// to (60, 50) fills the pixels 10..59 across and 10..49 down. Nothing is
// written outside the raster or outside the clip rectangles.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <numbers>
#include <vector>

namespace tovik::metafile {

struct FillPoint {
    double x = 0;
    double y = 0;
};

// Pixels first..last across and down, both inclusive.
struct ClipRect {
    int left = 0, top = 0, right = -1, bottom = -1;
};

class ShapeFill {
public:
    ShapeFill(std::int32_t* pixels, int width, int height) : pixels_(pixels), width_(width), height_(height) {}

    void SetColour(std::int32_t colour) { colour_ = colour; }
    // No rectangle: no clipping but the raster's edges.
    void SetClip(std::vector<ClipRect> rects) { clip_ = std::move(rects); }

    // A rectangle; with rx and ry above 0 its corners are quarters of an
    // ellipse of those half-axes (a rounded rectangle).
    void Rectangle(double left, double top, double right, double bottom, double rx = 0, double ry = 0) {
        Order(left, right);
        Order(top, bottom);
        rx = std::clamp(rx, 0.0, (right - left) / 2);
        ry = std::clamp(ry, 0.0, (bottom - top) / 2);
        ForRows(top, bottom, [&](int j, double y) {
            double inset = 0;
            if (rx > 0 && ry > 0) {
                const double beyond = std::max(top + ry - y, y - (bottom - ry));  // into a corner's band
                if (beyond > 0) inset = rx * (1 - std::sqrt(std::max(0.0, 1 - Square(beyond / ry))));
            }
            Span(j, left + inset, right - inset);
        });
    }

    // The ellipse inscribed in the rectangle.
    void Ellipse(double left, double top, double right, double bottom) {
        const Oval o(left, top, right, bottom);
        ForRows(o.cy - o.ry, o.cy + o.ry, [&](int j, double y) {
            const double half = o.HalfWidth(y);
            if (half > 0) Span(j, o.cx - half, o.cx + half);
        });
    }

    // Part of the ellipse inscribed in the rectangle, bounded by the arc that
    // runs clockwise on the raster (y downwards) from the ray through `from`
    // to the ray through `to`, both directions from the ellipse's centre, and
    // closed through the centre (pie) or by the straight line between the
    // arc's ends (chord). Rays of one direction make the whole ellipse.
    void Segment(double left, double top, double right, double bottom, FillPoint from, FillPoint to, bool pie) {
        const Oval o(left, top, right, bottom);
        if (!(o.rx > 0 && o.ry > 0)) return;
        const double start = std::atan2(from.y, from.x);
        double sweep = Turn(std::atan2(to.y, to.x) - start);
        if (sweep == 0) sweep = 2 * std::numbers::pi;
        const FillPoint a = o.OnRay(start), b = o.OnRay(start + sweep), middle = o.OnRay(start + sweep / 2);
        const double side = Cross(a, b, middle);
        const bool whole = sweep >= 2 * std::numbers::pi;
        ForRows(o.cy - o.ry, o.cy + o.ry, [&](int j, double y) {
            const double half = o.HalfWidth(y);
            if (!(half > 0)) return;
            ForPixels(o.cx - half, o.cx + half, [&](int i) {
                const FillPoint p{i + 0.5, y};
                const bool inside = whole || (pie ? Turn(std::atan2(y - o.cy, p.x - o.cx) - start) <= sweep
                                                  : Cross(a, b, p) * side > 0);
                if (inside) Put(i, j);
            });
        });
    }

    // Polygons filled together, so that where they overlap the fill rule
    // decides: alternate (even-odd) or winding (non-zero).
    void Polygons(const std::vector<std::vector<FillPoint>>& rings, bool winding) {
        struct Edge {
            double y0, y1, x0, slope;
            int direction;
        };
        std::vector<Edge> edges;
        double top = 0, bottom = 0;
        for (const auto& ring : rings) {
            if (ring.size() < 3) continue;
            for (std::size_t k = 0; k < ring.size(); ++k) {
                FillPoint p = ring[k], q = ring[(k + 1) % ring.size()];
                const bool numbers = std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(q.x) && std::isfinite(q.y);
                if (!numbers || p.y == q.y) continue;  // level edges cross no row centre
                int direction = 1;
                if (p.y > q.y) std::swap(p, q), direction = -1;
                if (edges.empty()) top = p.y, bottom = q.y;
                top = std::min(top, p.y);
                bottom = std::max(bottom, q.y);
                edges.push_back({p.y, q.y, p.x, (q.x - p.x) / (q.y - p.y), direction});
            }
        }
        std::sort(edges.begin(), edges.end(), [](const Edge& a, const Edge& b) { return a.y0 < b.y0; });
        std::size_t next = 0;
        std::vector<const Edge*> active;
        std::vector<std::pair<double, int>> crossings;
        ForRows(top, bottom, [&](int j, double y) {
            while (next < edges.size() && edges[next].y0 <= y) active.push_back(&edges[next++]);
            std::erase_if(active, [y](const Edge* e) { return e->y1 <= y; });
            crossings.clear();
            for (const Edge* e : active)
                if (e->y0 <= y) crossings.emplace_back(e->x0 + (y - e->y0) * e->slope, e->direction);
            std::sort(crossings.begin(), crossings.end());
            int count = 0;
            for (std::size_t k = 0; k + 1 < crossings.size(); ++k) {
                count += winding ? crossings[k].second : 1;
                if (winding ? count != 0 : count % 2 != 0) Span(j, crossings[k].first, crossings[k + 1].first);
            }
        });
    }

private:
    struct Oval {
        Oval(double left, double top, double right, double bottom)
            : cx((left + right) / 2), cy((top + bottom) / 2), rx(std::fabs(right - left) / 2),
              ry(std::fabs(bottom - top) / 2) {}
        // Half the width of the ellipse at height y; 0 or less outside it.
        double HalfWidth(double y) const {
            const double t = (y - cy) / ry;
            return t * t < 1 ? rx * std::sqrt(1 - t * t) : 0;
        }
        // Where the ray from the centre at this angle meets the ellipse.
        FillPoint OnRay(double angle) const {
            const double ux = std::cos(angle), uy = std::sin(angle);
            const double t = 1 / std::sqrt(Square(ux / rx) + Square(uy / ry));
            return {cx + t * ux, cy + t * uy};
        }
        double cx, cy, rx, ry;
    };

    static double Square(double v) { return v * v; }
    static void Order(double& a, double& b) {
        if (b < a) std::swap(a, b);
    }
    // An angle brought into [0, 2 pi).
    static double Turn(double a) {
        a = std::fmod(a, 2 * std::numbers::pi);
        return a < 0 ? a + 2 * std::numbers::pi : a;
    }
    // Which side of the line from a to b the point p lies on.
    static double Cross(FillPoint a, FillPoint b, FillPoint p) {
        return (b.x - a.x) * (p.y - a.y) - (b.y - a.y) * (p.x - a.x);
    }

    // The first index whose centre lies at or after v, kept within
    // [0, limit]; no number gives limit.
    static int FirstAtOrAfter(double v, int limit) {
        const double first = std::ceil(v - 0.5);
        if (!(first < limit)) return limit;
        return first > 0 ? static_cast<int>(first) : 0;
    }

    // Calls row(j, centre y) for the rows whose centre lies in [top, bottom).
    template <typename F>
    void ForRows(double top, double bottom, F&& row) const {
        const int last = FirstAtOrAfter(bottom, height_);
        for (int j = FirstAtOrAfter(top, height_); j < last; ++j) row(j, j + 0.5);
    }
    // Calls column(i) for the columns whose centre lies in [left, right).
    template <typename F>
    void ForPixels(double left, double right, F&& column) const {
        const int last = FirstAtOrAfter(right, width_);
        for (int i = FirstAtOrAfter(left, width_); i < last; ++i) column(i);
    }

    void Span(int j, double left, double right) {
        int first = FirstAtOrAfter(left, width_), last = FirstAtOrAfter(right, width_);  // [first, last)
        if (clip_.empty()) {
            std::fill(pixels_ + static_cast<std::ptrdiff_t>(j) * width_ + first,
                      pixels_ + static_cast<std::ptrdiff_t>(j) * width_ + std::max(first, last), colour_);
            return;
        }
        for (const ClipRect& c : clip_) {
            if (j < c.top || j > c.bottom) continue;
            for (int i = std::max(first, c.left); i < std::min(last, c.right + 1); ++i)
                pixels_[static_cast<std::ptrdiff_t>(j) * width_ + i] = colour_;
        }
    }
    void Put(int i, int j) {
        const bool clipped = !clip_.empty() && std::none_of(clip_.begin(), clip_.end(), [&](const ClipRect& c) {
            return i >= c.left && i <= c.right && j >= c.top && j <= c.bottom;
        });
        if (!clipped) pixels_[static_cast<std::ptrdiff_t>(j) * width_ + i] = colour_;
    }

    std::int32_t* pixels_;
    int width_, height_;
    std::int32_t colour_ = 0;
    std::vector<ClipRect> clip_;
};

}  // namespace tovik::metafile
