#pragma once

// The core alone, for the floors of the window benchmarks: the same engine
// with no window, nothing drawn, a yield that does nothing and no settings.

#include <QImage>
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <vector>

#include "field/Engine.h"
#include "model/Preparation.h"
#include "picture/DrawingArea.h"
#include "model/SimState.h"

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

// The engine's ports without a window: draws nothing but counts the steps,
// never yields, keeps the drawing-precision slider at a fixed position.
struct NullPorts : Canvas, EventLoop, Clock, TraceHost, Beeper {
    NullPorts(SimState& s, int drawSlider) : s(s), drawSlider(drawSlider) {}
    void SetForeColor(std::int32_t) override {}
    void Plot(float, float) override {}
    void LineTo(float, float) override { ++steps; }
    bool Yield() override { return true; }
    double Seconds() override { return Now(); }
    void ShowMenu(float, float) override {}
    void DrawSliderClick() override { s.DrawSpeed = static_cast<std::int16_t>(11 - drawSlider); }
    void Beep() override {}
    SimState& s;
    int drawSlider;
    long steps = 0;
};

struct CoreEngine {
    CoreEngine(SimState& s, int drawSlider, std::uint32_t seed)
        : ports(s, drawSlider), random(seed), engine(s, EnginePorts{ports, ports, ports, random, ports, ports}) {}
    NullPorts ports;
    MersenneRandom random;
    Engine engine;
};

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

inline Run TraceAlone(SimState& s, float x, float y, int drawSlider) {
    CoreEngine core(s, drawSlider, 0);
    const double t0 = Now();
    core.engine.MouseDown(1, 0, x, y);
    return {Now() - t0, core.ports.steps};
}

inline Run StartAlone(SimState& s, int drawSlider, std::uint32_t seed) {
    CoreEngine core(s, drawSlider, seed);
    const double t0 = Now();
    core.engine.StartAutomaticTracing();
    return {Now() - t0, core.ports.steps};
}

}  // namespace tovik::bench
