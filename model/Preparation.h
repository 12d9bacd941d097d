#pragma once

#include <cstdint>

#include "model/Ports.h"
#include "model/SimState.h"

namespace tovik {

// What Preparation reports while it computes, so that a window can move its
// progress bar and animate its marker. Nothing may change the state or the
// pixels from inside these calls.
class PreparationProgress {
public:
    virtual ~PreparationProgress() = default;
    // Column x has been sampled; called for x = 0, 5, 10, ...
    virtual void ColumnSampled(int x) = 0;
    // The marker appears on the whole drawing area, then closes in on the
    // aligned area in 20 steps.
    virtual void MarkerShown() = 0;
    virtual void MarkerMoved(float left, float top, float width, float height) = 0;
};

// A PreparationProgress that shows nothing.
class SilentPreparation : public PreparationProgress {
public:
    void ColumnSampled(int) override {}
    void MarkerShown() override {}
    void MarkerMoved(float, float, float, float) override {}
};

// What Preparation turns into the charge model.
struct PreparationInput {
    // The drawing area: the picture together with whatever is drawn on it.
    PixelView pixels;
    // Its size in pixels (the scale width and height of the picture area).
    float scaleWidth = 0;
    float scaleHeight = 0;
    // Side of a cell in pixels; the charge of pure blue is the state's
    // MaxCharge.
    std::int32_t cellSize = 8;
};

struct PreparationResult {
    // The mean cell charge over the cells of the area, and its floor, the
    // value shown when a Preparation ends.
    double mean = 0;
    double meanFloor = 0;
};

// The computation of "Подготовка": samples every pixel of the drawing area
// into PixelColor, finds the rectangle of charged pixels, widens it to whole
// cells, gives every cell the sum of its pixels' charge and computes the mean
// cell charge. A picture without any charged pixel gives an empty model: all
// four bounds 0 and every cell 0.
//
// Throws RunTimeError where a step overflows or leaves the grids; the state is
// then partly changed, as the steps done so far left it.
PreparationResult PrepareChargeModel(SimState& state, const PreparationInput& input,
                                     PreparationProgress& progress);

// Cell side for a position of the cell-size slider: 2 to the power (5 - p).
std::int32_t CalcSpeedForPosition(int position);

}  // namespace tovik
