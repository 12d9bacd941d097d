#include "field/Equipotentials.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <unordered_map>

namespace tovik {

namespace {

// The value at fraction q of the sorted values (0 <= q <= 1).
double Percentile(std::vector<double> v, double q) {
    if (v.empty()) return 0;
    const std::size_t k = static_cast<std::size_t>(q * static_cast<double>(v.size() - 1));
    std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(k), v.end());
    return v[k];
}

}  // namespace

std::vector<double> EquipotentialLevels(const FieldGrid& grid, int count) {
    std::vector<double> magnitudes;
    magnitudes.reserve(grid.Potential.size());
    for (const double p : grid.Potential)
        if (p != 0) magnitudes.push_back(std::abs(p));
    std::vector<double> levels;
    if (count <= 0 || magnitudes.empty()) return levels;
    if (count % 2 == 1) levels.push_back(0.0);
    const int half = count / 2;
    if (half == 0) return levels;
    const double high = Percentile(magnitudes, 0.995);
    const double low = std::min(Percentile(magnitudes, 0.05), high);
    for (int k = 0; k < half; ++k) {
        const double f = half == 1 ? 0.5 : static_cast<double>(k) / (half - 1);
        const double m = low * std::pow(high / low, f);
        levels.push_back(m);
        levels.push_back(-m);
    }
    std::sort(levels.begin(), levels.end());
    return levels;
}

namespace {

// The edges of the pixel grid: 2 (y W + x) is the edge from (x, y) to
// (x + 1, y), 2 (y W + x) + 1 the edge from (x, y) to (x, y + 1).
struct Segment {
    std::int64_t a, b;
};

// Pieces by corner case (bit k set when corner k is at or above the level;
// corners 0 top-left, 1 top-right, 2 bottom-right, 3 bottom-left) as pairs
// of cell sides (0 top, 1 right, 2 bottom, 3 left); -1 ends the list. The
// saddles 5 and 10 list the pieces for a centre below the level; a centre at
// or above it takes the other pairing.
constexpr int Pieces[16][4] = {
    {-1, -1, -1, -1}, {3, 0, -1, -1}, {0, 1, -1, -1}, {3, 1, -1, -1}, {1, 2, -1, -1}, {3, 0, 1, 2},
    {0, 2, -1, -1},   {3, 2, -1, -1}, {2, 3, -1, -1}, {0, 2, -1, -1}, {0, 1, 2, 3}, {1, 2, -1, -1},
    {1, 3, -1, -1},   {0, 1, -1, -1}, {3, 0, -1, -1}, {-1, -1, -1, -1},
};
constexpr int SaddleCentreAbove[16][4] = {
    {}, {}, {}, {}, {}, {0, 1, 2, 3}, {}, {}, {}, {}, {3, 0, 1, 2}, {}, {}, {}, {}, {},
};

}  // namespace

std::vector<Contour> TraceContours(const FieldGrid& grid, double level) {
    const int w = grid.Width, h = grid.Height;
    const std::vector<double>& v = grid.Potential;
    const auto edge = [w](int x, int y, int side) -> std::int64_t {
        const std::int64_t cell = static_cast<std::int64_t>(y) * w + x;
        switch (side) {
            case 0: return 2 * cell;                 // top
            case 1: return 2 * (cell + 1) + 1;       // right
            case 2: return 2 * (cell + w);           // bottom
            default: return 2 * cell + 1;            // left
        }
    };
    std::vector<Segment> segments;
    for (int y = 0; y + 1 < h; ++y) {
        for (int x = 0; x + 1 < w; ++x) {
            const double c[4] = {v[grid.At(x, y)], v[grid.At(x + 1, y)], v[grid.At(x + 1, y + 1)],
                                 v[grid.At(x, y + 1)]};
            const int index = (c[0] >= level) | (c[1] >= level) << 1 | (c[2] >= level) << 2 | (c[3] >= level) << 3;
            if (index == 0 || index == 15) continue;
            const int* p = Pieces[index];
            if ((index == 5 || index == 10) && (c[0] + c[1] + c[2] + c[3]) / 4 >= level) p = SaddleCentreAbove[index];
            for (int k = 0; k < 4 && p[k] >= 0; k += 2) segments.push_back({edge(x, y, p[k]), edge(x, y, p[k + 1])});
        }
    }

    // The crossing on an edge, by linear interpolation between its ends.
    const auto point = [&](std::int64_t e) {
        const std::int64_t cell = e / 2;
        const int x = static_cast<int>(cell % w), y = static_cast<int>(cell / w);
        const bool down = e % 2 == 1;
        const double a = v[grid.At(x, y)], b = down ? v[grid.At(x, y + 1)] : v[grid.At(x + 1, y)];
        const double t = a == b ? 0.5 : std::clamp((level - a) / (b - a), 0.0, 1.0);
        return down ? ContourPoint{static_cast<double>(x), y + t} : ContourPoint{x + t, static_cast<double>(y)};
    };

    // Every crossed edge belongs to one or two pieces; chains start at the
    // edges with one (open lines ending at the picture's border), then the
    // closed loops.
    std::unordered_map<std::int64_t, std::pair<int, int>> byEdge;
    byEdge.reserve(segments.size() * 2);
    for (int k = 0; k < static_cast<int>(segments.size()); ++k)
        for (const std::int64_t e : {segments[k].a, segments[k].b}) {
            auto [it, fresh] = byEdge.try_emplace(e, k, -1);
            if (!fresh) it->second.second = k;
        }
    std::vector<char> used(segments.size(), 0);
    std::vector<Contour> contours;
    const auto follow = [&](int k, std::int64_t from) {
        Contour line{point(from)};
        std::int64_t at = from;
        while (k >= 0 && !used[k]) {
            used[k] = 1;
            at = segments[k].a == at ? segments[k].b : segments[k].a;
            line.push_back(point(at));
            const auto& pair = byEdge.find(at)->second;
            k = pair.first == k ? pair.second : pair.first;
        }
        contours.push_back(std::move(line));
    };
    for (const auto& [e, pair] : byEdge)
        if (pair.second < 0 && !used[pair.first]) follow(pair.first, e);
    for (int k = 0; k < static_cast<int>(segments.size()); ++k)
        if (!used[k]) follow(k, segments[k].a);
    return contours;
}

}  // namespace tovik
