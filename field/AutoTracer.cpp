#include "field/AutoTracer.h"

#include <algorithm>
#include <chrono>

#include "field/Tracer.h"
#include "model/Checked.h"

namespace tovik {

using namespace checked;

void MersenneRandom::Randomize() {
    if (seed_) {
        gen_.seed(*seed_);
        return;
    }
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    static std::uint64_t runs = 0;
    std::seed_seq seq{static_cast<std::uint64_t>(now.count()), ++runs};
    gen_.seed(seq);
}

float MersenneRandom::Rnd() { return static_cast<float>(gen_() >> 8) * (1.0f / 16777216.0f); }

AutoTracer::AutoTracer(SimState& state, PressHandler& tracer, RandomSource& random, Beeper& beeper)
    : s_(state), tracer_(tracer), random_(random), beeper_(beeper) {}

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

long AutoTracer::SquareCount(const SimState& s) {
    const std::int64_t d = s.PartDimmension;
    return Passes(s.PicHeight - d, d) * Passes(s.PicWidth - d, d);
}

bool AutoTracer::Run(AutoTraceProgress* progress) {
    random_.Randomize();
    const long total = SquareCount(s_);
    long done = 0;
    if (progress) progress->SquaresDone(0, total);
    // The row loop's end and step are fixed when the run starts, the inner
    // loop's when its row starts.
    const std::int32_t rowStep = s_.PartDimmension;
    const std::int32_t rowEnd = Sub32(s_.PicHeight, rowStep);
    for (std::int32_t y = 0; InRange(y, rowEnd, rowStep); y = Add32(y, rowStep)) {
        const std::int32_t step = s_.PartDimmension;
        const std::int32_t end = Sub32(s_.PicWidth, step);
        for (std::int32_t x = 0; InRange(x, end, step); x = Add32(x, step)) {
            const float u1 = random_.Rnd();
            const float u2 = random_.Rnd();
            const float px = ToSingle(static_cast<double>(u1) * s_.PartDimmension + x);
            const float py = ToSingle(static_cast<double>(u2) * s_.PartDimmension + y);
            if (!tracer_.MouseDown(1, 0, px, py)) return false;
            // A nested Preparation may have changed the picture's size.
            if (progress) progress->SquaresDone(++done, std::max(total, done));
        }
    }
    beeper_.Beep();
    return true;
}

}  // namespace tovik
