#pragma once

#include <cstdint>
#include <random>

#include "model/SimState.h"

namespace tovik {

class PressHandler;

// Uniform single-precision numbers in [0, 1), seeded anew for every run.
class RandomSource {
public:
    virtual ~RandomSource() = default;
    // Seeds the generator from the time of day.
    virtual void Randomize() = 0;
    virtual float Rnd() = 0;
};

// The default generator: a Mersenne twister seeded from the time of day.
class TimeSeededRandom : public RandomSource {
public:
    void Randomize() override;
    float Rnd() override;

private:
    std::mt19937 gen_;
};

// "Пуск": one random point in every whole square of PartDimmension pixels,
// each traced as a left click there; a beep at the end.
class AutoTracer {
public:
    AutoTracer(SimState& state, PressHandler& tracer, RandomSource& random);

    // Returns false when the window went away during a trace; no beep then.
    // `beep` is called once when every square is done.
    template <typename Beep>
    bool Run(Beep&& beep) {
        if (!TraceSquares()) return false;
        beep();
        return true;
    }

private:
    bool TraceSquares();

    SimState& s_;
    PressHandler& tracer_;
    RandomSource& random_;
};

}  // namespace tovik
