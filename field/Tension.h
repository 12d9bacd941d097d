#pragma once

#include "field/ChargedCells.h"
#include "field/Geometry.h"
#include "model/SimState.h"

namespace tovik {

// The field at the point (X, Y) of the picture: the Coulomb sum over the
// cells of the charged area,
//
//   E = sum of q * (P - C) / |P - C|^3 over the cells with q != 0 and C != P,
//
// with the cell centres C, the values q from ChargeDensity, and the terms
// added one cell at a time, rows top to bottom, each row left to right. A
// point inside the area (bounds included) on a pixel whose PixelColor is not
// zero gets (0, 0); outside the area no pixel is looked up. Every step is
// checked: a bad cell side, a 16-bit overflow of the bounds' differences or
// counts, a cell or pixel outside the grid, and a floating overflow or invalid
// result throw RunTimeError.
//
// This is the plain walk over every cell of the area, in that order.
FieldVector GetTensionReference(const ChargeModel& s, std::int32_t calcSpeed, float X, float Y);

// The evaluator used by tracing and the probe. It walks only the cells of
// non-zero value, from the list of one charge model at one cell side,
// computes their terms side by side and, when allowed, for a long list on a
// second processor as well, and adds them in the same order: the result is
// the same as that of GetTensionReference to the last bit, and so is the
// kind of every error. It is cheap to copy; copies share the list, and each
// thread may evaluate with its own copy.
class TensionEvaluator {
public:
    TensionEvaluator() = default;
    explicit TensionEvaluator(std::shared_ptr<const ChargedCells> cells) : cells_(std::move(cells)) {}

    FieldVector GetTension(float X, float Y) const;

    // Lets long sums use the helper thread of the field sum, or keeps every
    // sum on the calling thread (the default). Threads that trace lines side
    // by side keep their sums to themselves.
    void SetParallel(bool parallel) { parallel_ = parallel; }

    const ChargedCells& Cells() const { return *cells_; }
    const std::shared_ptr<const ChargedCells>& CellsPtr() const { return cells_; }

private:
    std::shared_ptr<const ChargedCells> cells_;
    bool parallel_ = false;
};

// The evaluator of the state's current model at the state's cell side,
// rebuilt only when either has changed since the last call.
class CurrentField {
public:
    const TensionEvaluator& Of(const SimState& state);

private:
    TensionEvaluator field_;
};

}  // namespace tovik
