#pragma once

#include <cstdint>

#include "model/SimState.h"

namespace tovik {

// The mean charge of the cells of the area: the cells (0..nx, 0..ny) with
// nx = (AreaRight - AreaLeft) div CalcSpeed and ny likewise, summed row by
// row in single precision; the quotient is a double.
double MeanCellCharge(const SimState& s);

}  // namespace tovik
