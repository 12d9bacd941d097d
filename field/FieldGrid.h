#pragma once

#include <cstddef>
#include <vector>

namespace tovik {

// The potential and the field at every pixel (x, y) of a picture, evaluated
// at the point (x, y); element (x, y) lies at y * Width + x.
struct FieldGrid {
    int Width = 0;
    int Height = 0;
    std::vector<double> Potential;
    std::vector<double> Ex;
    std::vector<double> Ey;
    // Values that came out infinite or NaN and were clamped: NaN to 0,
    // infinities to the largest finite value of their sign.
    long Clamped = 0;

    std::size_t At(int x, int y) const { return static_cast<std::size_t>(y) * Width + x; }
    bool Empty() const { return Potential.empty(); }
};

}  // namespace tovik
