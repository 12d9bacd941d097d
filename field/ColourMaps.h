#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "field/FieldGrid.h"

namespace tovik {

// Colour layers of the whole field. Every colour here is 0x00BBGGRR with
// blue equal to red, so a layer drawn on the picture carries no charge.
enum class FieldMapKind { None, Field, Potential };

using Palette = std::array<std::int32_t, 256>;

// |E| on a logarithmic scale: a sequential ramp from dark to light green.
const Palette& FieldStrengthPalette();
// The potential on a diverging scale: magenta below 0, a light grey at 0,
// green above.
const Palette& PotentialPalette();

// Colour of the equipotential lines over a map of the given kind.
std::int32_t EquipotentialColour(FieldMapKind map);

// The palette index of every pixel, row by row. |E| is placed on a
// logarithmic scale between its 1st and 99.9th percentile, the potential on
// a symmetric scale, asinh(phi / s) against asinh(phi_max / s) with
// s = phi_max / 100, where phi_max is the 99.5th percentile of |phi|: 0 is
// always the middle index 128. A picture without field gets index 0 (|E|)
// or 128 (phi) everywhere. Empty for FieldMapKind::None.
std::vector<std::uint8_t> MapIndices(const FieldGrid& grid, FieldMapKind kind);

// The scale of a map: for |E| the decimal logarithms of the values at the
// first and the last index; for the potential the 99.5th percentile of |phi|
// in `low` and `high` (0 when the picture has no potential).
struct MapScale {
    double low = 0;
    double high = 0;
};
MapScale MapScaleOf(const FieldGrid& grid, FieldMapKind kind);
// The value that a fraction t of the palette (0 the first index, 1 the last)
// stands for on that scale.
double MapValueAt(FieldMapKind kind, const MapScale& scale, double t);

}  // namespace tovik
