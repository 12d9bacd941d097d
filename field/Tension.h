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
FieldVector GetTensionReference(const SimState& s, float X, float Y);

// The evaluator used by tracing and the probe. It walks only the cells of
// non-zero value, from a list it keeps up to date with the state, computes
// their terms side by side and, for a long list, on a second processor as
// well, and adds them in the same order: the result is the same as that of
// GetTensionReference to the last bit, and so is the kind of every error.
class TensionEvaluator {
public:
    explicit TensionEvaluator(const SimState& s);

    FieldVector GetTension(float X, float Y);

    // Lets long sums use the helper thread (the default) or keeps every sum
    // on the calling thread.
    void SetParallel(bool parallel) { parallel_ = parallel; }

    // Number of charged cells in the list for the current state.
    std::size_t ChargedCellCount();

private:
    const SimState& s_;
    ChargedCells cells_;
    bool parallel_ = true;
};

}  // namespace tovik
