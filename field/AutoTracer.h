#pragma once

#include <cstdint>
#include <optional>
#include <random>

#include "model/Ports.h"
#include "model/SimState.h"

namespace tovik {

class PressHandler;

// The generator of "Пуск": a Mersenne twister. Without a seed it is seeded
// from the time of day for every run; with one, every run draws the same
// points.
class MersenneRandom : public RandomSource {
public:
    MersenneRandom() = default;
    explicit MersenneRandom(std::uint32_t seed) : seed_(seed) {}

    void Randomize() override;
    // 24 random bits scaled exactly into [0, 1).
    float Rnd() override;

private:
    std::optional<std::uint32_t> seed_;
    std::mt19937 gen_;
};

// How far a run of automatic tracing has come.
class AutoTraceProgress {
public:
    virtual ~AutoTraceProgress() = default;
    // `done` of the run's `total` squares are traced; called with done = 0
    // before the first square.
    virtual void SquaresDone(long done, long total) = 0;
};

// "Пуск": one random point in every whole square of PartDimmension pixels,
// each traced as a left click there; a beep at the end.
class AutoTracer {
public:
    AutoTracer(SimState& state, PressHandler& tracer, RandomSource& random, Beeper& beeper);

    // Returns false when a trace was stopped part-way (its window went away,
    // or the user asked to stop); there is no beep then.
    bool Run(AutoTraceProgress* progress = nullptr);

    // Number of whole squares a run over the current state visits.
    static long SquareCount(const SimState& state);

private:
    SimState& s_;
    PressHandler& tracer_;
    RandomSource& random_;
    Beeper& beeper_;
};

}  // namespace tovik
