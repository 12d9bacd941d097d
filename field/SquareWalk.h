#pragma once

#include <cstdint>
#include <optional>

#include "field/LineTracer.h"
#include "model/Ports.h"
#include "model/SimState.h"

namespace tovik {

// The squares of "Пуск": for y = 0 to PicHeight - PartDimmension and, in each
// row, x = 0 to PicWidth - PartDimmension, both in steps of PartDimmension,
// one random point (u1 * PartDimmension + x, u2 * PartDimmension + y). The row
// loop's end and step are fixed when the walk starts, the inner loop's when
// its row starts, and each point takes PartDimmension as it is then: so
// every value is read from the state at the moment the loops would read it.
//
// A walk is a small value: a copy walks on independently, so that the
// squares ahead can be foreseen with a copy of the generator.
class SquareWalk {
public:
    explicit SquareWalk(const SimState& state);

    // The next square's point, drawing u1 then u2; none when the walk is
    // done. An overflow of the loop values throws RunTimeError.
    std::optional<TracePoint> Next(const SimState& state, RandomSource& random);

    // Number of whole squares of a walk over the state as it is.
    static long SquareCount(const SimState& state);

private:
    std::int32_t rowStep_;
    std::int32_t rowEnd_;
    std::int32_t y_ = 0;
    std::int32_t step_ = 0;
    std::int32_t end_ = 0;
    std::int32_t x_ = 0;
    bool inRow_ = false;
    bool advance_ = false;
    bool done_ = false;
};

}  // namespace tovik
