#pragma once

#include <cstdint>

#include "model/SimState.h"

namespace tovik {

// The mean charge of the cells of the area: the cells (0..nx, 0..ny) with
// nx = (AreaRight - AreaLeft) div CalcSpeed and ny likewise, summed row by
// row in single precision; the quotient is a double.
double MeanCellCharge(const SimState& s);

// Position that centres a label of the given size on the span from a to b of
// the area's bounds: ((a + b) - size) / 2, the sum of the bounds formed as a
// 16-bit integer and the rest in single precision.
float CentredLabelPosition(std::int16_t a, std::int16_t b, float size);

}  // namespace tovik
