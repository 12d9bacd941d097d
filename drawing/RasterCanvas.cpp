#include "drawing/RasterCanvas.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace tovik {

namespace {

// Coordinates further out than this are clipped before rasterising.
constexpr double NearLimit = 8192.0;

bool Near(double v) { return std::isfinite(v) && std::fabs(v) < NearLimit; }

// Clips the segment to the rectangle [xmin, xmax] x [ymin, ymax]
// (Liang-Barsky). Returns false when nothing of it lies inside.
bool ClipSegment(double& x0, double& y0, double& x1, double& y1, double xmin, double ymin, double xmax,
                 double ymax) {
    double t0 = 0.0, t1 = 1.0;
    const double dx = x1 - x0, dy = y1 - y0;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {x0 - xmin, xmax - x0, y0 - ymin, ymax - y0};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0.0) return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0.0) {
            if (t > t1) return false;
            t0 = std::max(t0, t);
        } else {
            if (t < t0) return false;
            t1 = std::min(t1, t);
        }
    }
    const double nx0 = x0 + t0 * dx, ny0 = y0 + t0 * dy;
    const double nx1 = x0 + t1 * dx, ny1 = y0 + t1 * dy;
    x0 = nx0;
    y0 = ny0;
    x1 = nx1;
    y1 = ny1;
    return true;
}

inline void Put(const PixelBuffer& b, int x, int y, std::uint32_t pen) {
    if (x < 0 || y < 0 || x >= b.width || y >= b.height) return;
    b.data[static_cast<std::size_t>(y) * b.strideWords + x] = pen;
}

}  // namespace

void RasterCanvas::Damage(int left, int top, int right, int bottom) { surface_.Damaged(left, top, right, bottom); }

void RasterCanvas::SetForeColor(std::int32_t bgr) {
    foreColor_ = bgr;
    const std::uint32_t r = bgr & 0xFF, g = (bgr >> 8) & 0xFF, b = (bgr >> 16) & 0xFF;
    pen_ = 0xFF000000u | (r << 16) | (g << 8) | b;
}

void RasterCanvas::Plot(float xf, float yf) {
    const double x = xf, y = yf;
    curX_ = x;
    curY_ = y;
    if (!Near(x) || !Near(y)) return;
    const int px = static_cast<int>(std::nearbyint(x));
    const int py = static_cast<int>(std::nearbyint(y));
    const PixelBuffer b = surface_.Lock();
    if (px < 0 || py < 0 || px >= b.width || py >= b.height) return;
    Put(b, px, py, pen_);
    Damage(px, py, px, py);
}

void RasterCanvas::LineTo(float xf, float yf) {
    double x0 = curX_, y0 = curY_, x1 = xf, y1 = yf;
    curX_ = x1;
    curY_ = y1;
    if (!std::isfinite(x0) || !std::isfinite(y0) || !std::isfinite(x1) || !std::isfinite(y1)) return;
    const PixelBuffer b = surface_.Lock();
    if (!(Near(x0) && Near(y0) && Near(x1) && Near(y1)) &&
        !ClipSegment(x0, y0, x1, y1, -1.0, -1.0, b.width, b.height))
        return;
    int ax = static_cast<int>(std::nearbyint(x0)), ay = static_cast<int>(std::nearbyint(y0));
    const int bx = static_cast<int>(std::nearbyint(x1)), by = static_cast<int>(std::nearbyint(y1));
    const int left = std::max(std::min(ax, bx), 0), top = std::max(std::min(ay, by), 0);
    const int right = std::min(std::max(ax, bx), b.width - 1), bottom = std::min(std::max(ay, by), b.height - 1);
    if (left > right || top > bottom) return;
    const int dx = std::abs(bx - ax), dy = -std::abs(by - ay);
    const int sx = ax < bx ? 1 : -1, sy = ay < by ? 1 : -1;
    int err = dx + dy;
    for (;;) {
        Put(b, ax, ay, pen_);
        if (ax == bx && ay == by) break;
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            ax += sx;
        }
        if (e2 <= dx) {
            err += dx;
            ay += sy;
        }
    }
    Damage(left, top, right, bottom);
}

}  // namespace tovik
