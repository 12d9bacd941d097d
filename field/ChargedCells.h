#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "model/ChargeModel.h"

namespace tovik {

// The cells of non-zero value of the charged area, in the order in which the
// field adds them up: rows top to bottom, each row left to right. Each cell
// keeps its centre and its value, one array per member, so that the terms of
// several cells can be computed side by side.
//
// The list is derived from a charge model and the cell side the field takes
// (which the cell-size slider may have changed since the model was
// prepared). Once built it never changes, so any number of threads may read
// it.
class ChargedCells {
public:
    static std::shared_ptr<const ChargedCells> Build(ChargeModelPtr model, std::int32_t side);

    const ChargeModel& Model() const { return *model_; }
    const ChargeModelPtr& ModelPtr() const { return model_; }
    std::int32_t Side() const { return side_; }

    // False when walking the area's cells fails by itself: a cell side below
    // 1, a bound difference or a cell count beyond 16 bits, or a cell outside
    // the grid. The list is then empty, and the caller must take the checked
    // walk, which raises the error.
    bool Walkable() const { return walkable_; }

    std::size_t Size() const { return value_.size(); }
    // Number of cells the checked walk visits, charged or not.
    std::size_t VisitedCells() const { return visited_; }

    const double* CentreX() const { return centreX_.data(); }
    const double* CentreY() const { return centreY_.data(); }
    const float* Value() const { return value_.data(); }

private:
    ChargedCells(ChargeModelPtr model, std::int32_t side) : model_(std::move(model)), side_(side) {}
    void Collect();

    ChargeModelPtr model_;
    std::int32_t side_;
    bool walkable_ = false;
    std::size_t visited_ = 0;
    std::vector<double> centreX_;
    std::vector<double> centreY_;
    std::vector<float> value_;
};

}  // namespace tovik
