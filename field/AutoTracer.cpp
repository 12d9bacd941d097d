#include "field/AutoTracer.h"

#include <chrono>

#include "field/Tracer.h"
#include "model/Checked.h"

namespace tovik {

using namespace checked;

void TimeSeededRandom::Randomize() {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    static std::uint64_t runs = 0;
    std::seed_seq seq{static_cast<std::uint64_t>(now.count()), ++runs};
    gen_.seed(seq);
}

float TimeSeededRandom::Rnd() {
    // 24 random bits scaled exactly into [0, 1).
    return static_cast<float>(gen_() >> 8) * (1.0f / 16777216.0f);
}

AutoTracer::AutoTracer(SimState& state, PressHandler& tracer, RandomSource& random)
    : s_(state), tracer_(tracer), random_(random) {}

namespace {

// A counting loop runs while the counter has not passed its end value in the
// direction of the step. A step of 0 would never end, so it runs no pass.
bool InRange(std::int32_t counter, std::int32_t end, std::int32_t step) {
    if (step > 0) return counter <= end;
    if (step < 0) return counter >= end;
    return false;
}

}  // namespace

bool AutoTracer::TraceSquares() {
    random_.Randomize();
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
        }
    }
    return true;
}

}  // namespace tovik
