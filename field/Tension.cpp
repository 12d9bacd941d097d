#include "field/Tension.h"

#include <cmath>
#include <cstdint>

#include "field/ParallelTermSum.h"
#include "field/TensionKernel.h"
#include "model/Checked.h"

namespace tovik {

namespace {

// Whether (X, Y) lies inside the charged area, bounds included, on a pixel
// of non-zero colour: there is no field there.
bool OnColouredPixel(const ChargeModel& s, float X, float Y) {
    const bool outside = X < static_cast<float>(s.AreaLeft) || Y < static_cast<float>(s.AreaTop) ||
                         X > static_cast<float>(s.AreaRight) || Y > static_cast<float>(s.AreaBottom);
    if (outside) return false;
    const std::int32_t px = checked::Floor32(X);
    const std::int32_t py = checked::Floor32(Y);
    return s.Pixel(px, py) != 0;
}

// Number of whole cells between two bounds, less one: (high - low) div side,
// with the difference and the quotient in 16 bits.
std::int16_t CellCount(std::int16_t low, std::int16_t high, std::int32_t side) {
    const std::int16_t span = checked::Sub16(high, low);
    // A side of 0 divides by zero; a negative side is no cell side either.
    if (side < 1) checked::Fail(RunTimeErrorKind::DivisionByZero);
    return checked::Narrow16(span / side);
}

}  // namespace

FieldVector GetTensionReference(const ChargeModel& s, std::int32_t calcSpeed, float X, float Y) {
    FieldVector e = ZeroVector;
    if (OnColouredPixel(s, X, Y)) return e;

    const std::int16_t nRows = CellCount(s.AreaTop, s.AreaBottom, calcSpeed);
    if (nRows < 0) return e;
    const double half = calcSpeed / 2.0;
    for (std::int32_t j = 0; j <= nRows; ++j) {
        const std::int16_t nCols = CellCount(s.AreaLeft, s.AreaRight, calcSpeed);
        for (std::int32_t i = 0; i <= nCols; ++i) {
            const double cx = (half + s.AreaLeft) + checked::Mul32(i, calcSpeed);
            const double cy = (half + s.AreaTop) + checked::Mul32(j, calcSpeed);
            const FieldVector r{checked::Finite(static_cast<double>(X) - cx),
                                checked::Finite(static_cast<double>(Y) - cy)};
            const double q = s.Cell(i, j);
            if (q == 0 || (r.X == 0 && r.Y == 0)) continue;
            const double d = VectorLength(r);
            // d^3: the exact cube rounded once. glibc's pow(d, 3.0) misses it by one
            // unit in the last place for about one offset in 1,300.
            const double d3 = checked::Finite(kernel::Cube(d));
            const double k = checked::Divide(q, d3);
            e = VectorAdd(e, VectorMultiply(r, k));
        }
    }
    return e;
}

FieldVector TensionEvaluator::GetTension(float X, float Y) const {
    const ChargedCells& cells = *cells_;
    const ChargeModel& model = cells.Model();
    // The checked walk raises the errors of a bad area, and of a point that
    // is no number or infinitely far.
    if (!cells.Walkable() || !std::isfinite(X) || !std::isfinite(Y))
        return GetTensionReference(model, cells.Side(), X, Y);

    FieldVector e = ZeroVector;
    if (OnColouredPixel(model, X, Y)) return e;

    const kernel::CellArrays arrays{cells.CentreX(), cells.CentreY(), cells.Value()};
    const std::size_t n = cells.Size();
    const double x = X;
    const double y = Y;
    const bool shared = parallel_ && n >= ParallelTermSum::MinCells &&
                        ParallelTermSum::Shared().Sum(arrays, n, cells_, x, y, e.X, e.Y);
    if (!shared) kernel::AccumulateTerms(arrays, 0, n, x, y, e.X, e.Y);

    // Infinity and NaN stay in a sum once they appear, so a finite sum means
    // no step overflowed; otherwise the checked walk finds the step and its
    // error.
    if (!std::isfinite(e.X) || !std::isfinite(e.Y)) return GetTensionReference(model, cells.Side(), X, Y);
    return e;
}

const TensionEvaluator& CurrentField::Of(const SimState& state) {
    const auto& cells = field_.CellsPtr();
    if (!cells || cells->ModelPtr() != state.Model || cells->Side() != state.CalcSpeed)
        field_ = TensionEvaluator(ChargedCells::Build(state.Model, state.CalcSpeed));
    return field_;
}

}  // namespace tovik
