#pragma once

#include <cstdint>

#include "model/ChargeModel.h"

namespace tovik {

// The mean charge of the cells of the area: the cells (0..nx, 0..ny) with
// nx = (AreaRight - AreaLeft) div calcSpeed and ny likewise, summed row by
// row in single precision; the quotient is a double.
double MeanCellCharge(const ChargeModel& s, std::int32_t calcSpeed);

}  // namespace tovik
