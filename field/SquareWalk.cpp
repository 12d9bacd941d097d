#include "field/SquareWalk.h"

#include "model/Checked.h"

namespace tovik {

using namespace checked;

namespace {

// A counting loop runs while the counter has not passed its end value in the
// direction of the step. A step of 0 would never end, so it runs no pass.
bool InRange(std::int32_t counter, std::int32_t end, std::int32_t step) {
    if (step > 0) return counter <= end;
    if (step < 0) return counter >= end;
    return false;
}

// Passes of a loop from 0 to `end` in steps of `step`.
long Passes(std::int64_t end, std::int64_t step) { return step > 0 && end >= 0 ? end / step + 1 : 0; }

}  // namespace

SquareWalk::SquareWalk(const SimState& s)
    : rowStep_(s.PartDimmension), rowEnd_(Sub32(s.Charges().PicHeight, s.PartDimmension)) {}

long SquareWalk::SquareCount(const SimState& s) {
    const std::int64_t d = s.PartDimmension;
    return Passes(s.Charges().PicHeight - d, d) * Passes(s.Charges().PicWidth - d, d);
}

std::optional<TracePoint> SquareWalk::Next(const SimState& s, RandomSource& random) {
    // The counter moves on after the square's line, as the loop moves it.
    if (advance_) {
        advance_ = false;
        x_ = Add32(x_, step_);
    }
    for (;;) {
        if (done_) return std::nullopt;
        if (!inRow_) {
            if (!InRange(y_, rowEnd_, rowStep_)) {
                done_ = true;
                return std::nullopt;
            }
            step_ = s.PartDimmension;
            end_ = Sub32(s.Charges().PicWidth, step_);
            x_ = 0;
            inRow_ = true;
        }
        if (!InRange(x_, end_, step_)) {
            inRow_ = false;
            y_ = Add32(y_, rowStep_);
            continue;
        }
        const float u1 = random.Rnd();
        const float u2 = random.Rnd();
        const TracePoint p{ToSingle(static_cast<double>(u1) * s.PartDimmension + x_),
                           ToSingle(static_cast<double>(u2) * s.PartDimmension + y_)};
        advance_ = true;
        return p;
    }
}

}  // namespace tovik
