#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "model/SimState.h"

namespace tovik {

// The cells of non-zero value of the charged area, in the order in which the
// field adds them up: rows top to bottom, each row left to right. Each cell
// keeps its centre and its value, one array per member, so that the terms of
// several cells can be computed side by side.
//
// The list is derived from the grid, the four bounds and CalcSpeed. Refresh
// compares these (and ModelGeneration, which every writer of the grid bumps)
// with what the list was built from and rebuilds it when any has changed; when
// nothing has, it costs a few comparisons.
class ChargedCells {
public:
    // Brings the list up to date with the state.
    void Refresh(const SimState& s);

    // False when walking the area's cells fails by itself: a cell side below
    // 1, a bound difference or a cell count beyond 16 bits, or a cell outside
    // the grid. The list is then empty, and the caller must take the checked
    // walk, which raises the error.
    bool Walkable() const { return walkable_; }

    std::size_t Size() const { return list_->value.size(); }
    // Number of cells the checked walk visits, charged or not.
    std::size_t VisitedCells() const { return visited_; }

    const double* CentreX() const { return list_->centreX.data(); }
    const double* CentreY() const { return list_->centreY.data(); }
    const float* Value() const { return list_->value.data(); }

    // Keeps the arrays above alive for whoever holds it, even after the list
    // has been rebuilt (a rebuild makes new arrays and never changes these).
    std::shared_ptr<const void> Owner() const { return list_; }

private:
    struct Key {
        std::int16_t left = 0, top = 0, right = 0, bottom = 0;
        std::int32_t side = 0;
        std::uint64_t generation = 0;
        bool operator==(const Key&) const = default;
    };
    struct List {
        std::vector<double> centreX;
        std::vector<double> centreY;
        std::vector<float> value;
    };
    static Key KeyOf(const SimState& s);
    void Rebuild(const SimState& s);

    Key key_;
    bool built_ = false;
    bool walkable_ = false;
    std::size_t visited_ = 0;
    std::shared_ptr<List> list_ = std::make_shared<List>();
};

}  // namespace tovik
