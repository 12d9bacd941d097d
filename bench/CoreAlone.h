#pragma once

// The core alone, for the floors of the window benchmarks: the same lines
// traced on one thread with no window, nothing drawn, no settings.

#include <QImage>
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <vector>

#include "field/LineTracer.h"
#include "field/MersenneRandom.h"
#include "field/Probe.h"
#include "field/SquareWalk.h"
#include "model/Preparation.h"
#include "model/SimState.h"
#include "picture/DrawingArea.h"

namespace tovik::bench {

inline double Now() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

inline double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// A quantile q in [0, 1] of the values.
inline double Quantile(std::vector<double> v, double q) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<std::size_t>(q * static_cast<double>(v.size())))];
}

struct Run {
    double seconds = 0;
    long steps = 0;
};

// Copies the user parameters, so that the core works as the window does.
inline void CopyParameters(const SimState& from, SimState& to) {
    to.TimeLimit = from.TimeLimit;
    to.MaxTension = from.MaxTension;
    to.PartDimmension = from.PartDimmension;
    to.MaxCharge = from.MaxCharge;
}

// Seconds of the computation of one Preparation of the drawing area.
inline double PrepareAlone(SimState& s, const QImage& drawing, int cell) {
    PreparationInput in{PixelsOf(drawing),
                        static_cast<float>(drawing.width()), static_cast<float>(drawing.height()), cell};
    SilentPreparation silent;
    const double t0 = Now();
    PrepareChargeModel(s, in, silent);
    return Now() - t0;
}

inline TraceParameters ParametersOf(const SimState& s, int drawSlider) {
    return {DrawSpeedForPosition(drawSlider), s.MaxTension, s.TimeLimit, 0};
}

// One line on the calling thread, the field sum's helper allowed, as a press
// traces it.
inline Run TraceAlone(SimState& s, float x, float y, int drawSlider) {
    TensionEvaluator field(ChargedCells::Build(s.Model, s.CalcSpeed));
    field.SetParallel(true);
    SteadyClock clock;
    const double t0 = Now();
    const TracedLine line = TraceLine(field, ParametersOf(s, drawSlider), x, y, clock);
    return {Now() - t0, line.Steps()};
}

// The lines of "Пуск", one after the other on the calling thread.
inline Run StartAlone(SimState& s, int drawSlider, std::uint32_t seed) {
    MersenneRandom random(seed);
    SteadyClock clock;
    const double t0 = Now();
    random.Randomize();
    const TensionEvaluator field(ChargedCells::Build(s.Model, s.CalcSpeed));
    SquareWalk walk(s);
    long steps = 0;
    while (const auto p = walk.Next(s, random)) steps += TraceLine(field, ParametersOf(s, drawSlider), p->x, p->y, clock).Steps();
    return {Now() - t0, steps};
}

}  // namespace tovik::bench
