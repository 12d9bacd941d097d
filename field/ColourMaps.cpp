#include "field/ColourMaps.h"

#include <algorithm>
#include <cmath>

namespace tovik {

namespace {

struct Rgb {
    int r, g, b;
};

std::int32_t Neutral(double grey, double green) {
    const int v = static_cast<int>(std::lround(grey)), g = static_cast<int>(std::lround(green));
    return (v << 16) | (g << 8) | v;
}

// A 256-entry table interpolated linearly through the given stops, each
// colour made charge-neutral: red and blue are replaced by their mean, which
// keeps the lightness of the published colour close.
Palette Interpolate(const std::vector<Rgb>& stops) {
    Palette p{};
    const double last = static_cast<double>(stops.size() - 1);
    for (int k = 0; k < 256; ++k) {
        const double at = k / 255.0 * last;
        const std::size_t i = std::min(static_cast<std::size_t>(at), stops.size() - 2);
        const double f = at - static_cast<double>(i);
        const Rgb& a = stops[i];
        const Rgb& b = stops[i + 1];
        const double grey = ((a.r + a.b) / 2.0) * (1 - f) + ((b.r + b.b) / 2.0) * f;
        const double green = a.g * (1 - f) + b.g * f;
        p[static_cast<std::size_t>(k)] = Neutral(grey, green);
    }
    return p;
}

double Percentile(std::vector<double> v, double q) {
    if (v.empty()) return 0;
    const std::size_t k = static_cast<std::size_t>(q * static_cast<double>(v.size() - 1));
    std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(k), v.end());
    return v[k];
}

std::uint8_t Index(double t) { return static_cast<std::uint8_t>(std::lround(std::clamp(t, 0.0, 1.0) * 255.0)); }

}  // namespace

// ColorBrewer "Greens" (Cynthia Brewer, colorbrewer2.org, nine classes),
// from its darkest class up to its third lightest, so white field lines stay
// visible over the strongest field.
const Palette& FieldStrengthPalette() {
    static const Palette p = Interpolate({{0, 68, 27},
                                          {0, 109, 44},
                                          {35, 139, 69},
                                          {65, 171, 93},
                                          {116, 196, 118},
                                          {161, 217, 155},
                                          {199, 233, 192}});
    return p;
}

// ColorBrewer "PiYG" (Cynthia Brewer, colorbrewer2.org, eleven classes),
// pink to yellow-green; with red and blue made equal its pink side turns
// magenta.
const Palette& PotentialPalette() {
    static const Palette p = Interpolate({{142, 1, 82},
                                          {197, 27, 125},
                                          {222, 119, 174},
                                          {241, 182, 218},
                                          {253, 224, 239},
                                          {247, 247, 247},
                                          {230, 245, 208},
                                          {184, 225, 134},
                                          {127, 188, 65},
                                          {77, 146, 33},
                                          {39, 100, 25}});
    return p;
}

std::int32_t EquipotentialColour(FieldMapKind map) {
    // Magenta stands out on black and on the greens; over the potential's
    // light middle and its magenta and green ends, black does.
    return map == FieldMapKind::Potential ? Neutral(0, 0) : Neutral(255, 0);
}

std::vector<std::uint8_t> MapIndices(const FieldGrid& grid, FieldMapKind kind) {
    std::vector<std::uint8_t> out;
    if (kind == FieldMapKind::None) return out;
    const std::size_t n = grid.Potential.size();
    out.resize(n);
    const MapScale scale = MapScaleOf(grid, kind);
    if (kind == FieldMapKind::Field) {
        const double lo = scale.low, hi = scale.high;
        for (std::size_t k = 0; k < n; ++k) {
            const double e = std::hypot(grid.Ex[k], grid.Ey[k]);
            if (!(e > 0) || !std::isfinite(e) || hi <= lo) {
                out[k] = e > 0 && hi <= lo ? 255 : 0;
                continue;
            }
            out[k] = Index((std::log10(e) - lo) / (hi - lo));
        }
        return out;
    }
    const double top = scale.high;
    for (std::size_t k = 0; k < n; ++k) {
        const double p = grid.Potential[k];
        out[k] = top > 0 ? Index(0.5 + 0.5 * std::asinh(p / (top / 100)) / std::asinh(100.0)) : 128;
    }
    return out;
}

MapScale MapScaleOf(const FieldGrid& grid, FieldMapKind kind) {
    std::vector<double> values;
    values.reserve(grid.Potential.size());
    if (kind == FieldMapKind::Field) {
        for (std::size_t k = 0; k < grid.Ex.size(); ++k) {
            const double e = std::hypot(grid.Ex[k], grid.Ey[k]);
            if (e > 0 && std::isfinite(e)) values.push_back(std::log10(e));
        }
        return {Percentile(values, 0.01), Percentile(values, 0.999)};
    }
    for (const double p : grid.Potential)
        if (p != 0) values.push_back(std::abs(p));
    const double top = kind == FieldMapKind::Potential ? Percentile(values, 0.995) : 0;
    return {top, top};
}

double MapValueAt(FieldMapKind kind, const MapScale& scale, double t) {
    t = std::clamp(t, 0.0, 1.0);
    if (kind == FieldMapKind::Field) return std::pow(10.0, scale.low + t * (scale.high - scale.low));
    if (kind != FieldMapKind::Potential || !(scale.high > 0)) return 0;
    return scale.high / 100 * std::sinh((2 * t - 1) * std::asinh(100.0));
}

}  // namespace tovik
