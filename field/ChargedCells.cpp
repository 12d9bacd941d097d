#include "field/ChargedCells.h"

#include <limits>

namespace tovik {

namespace {

bool Fits16(std::int32_t v) {
    return v >= std::numeric_limits<std::int16_t>::min() && v <= std::numeric_limits<std::int16_t>::max();
}

}  // namespace

ChargedCells::Key ChargedCells::KeyOf(const SimState& s) {
    Key k;
    k.left = s.AreaLeft;
    k.top = s.AreaTop;
    k.right = s.AreaRight;
    k.bottom = s.AreaBottom;
    k.side = s.CalcSpeed;
    k.generation = s.ModelGeneration;
    return k;
}

void ChargedCells::Refresh(const SimState& s) {
    const Key k = KeyOf(s);
    if (built_ && k == key_) return;
    key_ = k;
    Rebuild(s);
    built_ = true;
}

void ChargedCells::Rebuild(const SimState& s) {
    list_ = std::make_shared<List>();
    walkable_ = false;
    visited_ = 0;

    // The same counts as the checked walk, without its exceptions: any case
    // in which that walk fails leaves the list unwalkable.
    const std::int32_t side = key_.side;
    if (side < 1) return;
    const std::int32_t rowSpan = std::int32_t{key_.bottom} - key_.top;
    if (!Fits16(rowSpan)) return;
    const std::int32_t nRows = rowSpan / side;
    walkable_ = true;
    if (nRows < 0) return;
    const std::int32_t colSpan = std::int32_t{key_.right} - key_.left;
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
    List& list = *list_;
    list.centreX.reserve(charged);
    list.centreY.reserve(charged);
    list.value.reserve(charged);

    // Centres exactly as the checked walk computes them; i * side and
    // j * side stay within the 16-bit spans above.
    const double half = side / 2.0;
    for (std::int32_t j = 0; j <= nRows; ++j) {
        const float* row = s.ChargeDensity.data() + static_cast<std::size_t>(j) * GridColumns;
        const double cy = (half + key_.top) + j * side;
        for (std::int32_t i = 0; i <= nCols; ++i) {
            const float q = row[i];
            if (q == 0.0f) continue;  // a NaN stays in the list
            list.centreX.push_back((half + key_.left) + i * side);
            list.centreY.push_back(cy);
            list.value.push_back(q);
        }
    }
}

}  // namespace tovik
