#include "field/ChargedCells.h"

#include <limits>

namespace tovik {

namespace {

bool Fits16(std::int32_t v) {
    return v >= std::numeric_limits<std::int16_t>::min() && v <= std::numeric_limits<std::int16_t>::max();
}

}  // namespace

std::shared_ptr<const ChargedCells> ChargedCells::Build(ChargeModelPtr model, std::int32_t side) {
    std::shared_ptr<ChargedCells> cells(new ChargedCells(std::move(model), side));
    cells->Collect();
    return cells;
}

void ChargedCells::Collect() {
    const ChargeModel& s = *model_;
    // The same counts as the checked walk, without its exceptions: any case
    // in which that walk fails leaves the list unwalkable.
    const std::int32_t side = side_;
    if (side < 1) return;
    const std::int32_t rowSpan = std::int32_t{s.AreaBottom} - s.AreaTop;
    if (!Fits16(rowSpan)) return;
    const std::int32_t nRows = rowSpan / side;
    walkable_ = true;
    if (nRows < 0) return;
    const std::int32_t colSpan = std::int32_t{s.AreaRight} - s.AreaLeft;
    if (!Fits16(colSpan)) {
        walkable_ = false;
        return;
    }
    const std::int32_t nCols = colSpan / side;
    if (nCols < 0) return;
    if (nCols >= GridColumns || nRows >= GridRows) {
        walkable_ = false;
        return;
    }

    visited_ = static_cast<std::size_t>(nRows + 1) * static_cast<std::size_t>(nCols + 1);
    std::size_t charged = 0;
    for (std::int32_t j = 0; j <= nRows; ++j) {
        const float* row = s.ChargeDensity.data() + static_cast<std::size_t>(j) * GridColumns;
        for (std::int32_t i = 0; i <= nCols; ++i) charged += row[i] != 0.0f;
    }
    centreX_.reserve(charged);
    centreY_.reserve(charged);
    value_.reserve(charged);

    // Centres exactly as the checked walk computes them; i * side and
    // j * side stay within the 16-bit spans above.
    const double half = side / 2.0;
    for (std::int32_t j = 0; j <= nRows; ++j) {
        const float* row = s.ChargeDensity.data() + static_cast<std::size_t>(j) * GridColumns;
        const double cy = (half + s.AreaTop) + j * side;
        for (std::int32_t i = 0; i <= nCols; ++i) {
            const float q = row[i];
            if (q == 0.0f) continue;  // a NaN stays in the list
            centreX_.push_back((half + s.AreaLeft) + i * side);
            centreY_.push_back(cy);
            value_.push_back(q);
        }
    }
}

}  // namespace tovik
