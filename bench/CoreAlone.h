#pragma once

// The core alone, for the floors of the window benchmarks: no window, nothing
// drawn, a yield that does nothing, a store that keeps nothing.

#include <QImage>
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "field/AutoTracer.h"
#include "field/Tension.h"
#include "field/Tracer.h"
#include "model/Ports.h"
#include "model/Preparation.h"
#include "model/PreparationHost.h"
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

struct SteadyClock : Clock {
    double Seconds() override { return Now(); }
};

struct NoYield : EventLoop {
    bool Yield() override { return true; }
};

struct NoSettings : SettingsWriter {
    void RegPrepare() override {}
    void SetKeyValue(std::string_view, std::string_view) override {}
};

// Draws nothing; counts the steps (one segment each).
struct NullCanvas : Canvas {
    void SetForeColor(std::int32_t) override {}
    void Plot(float, float) override {}
    void LineTo(float, float) override { ++steps; }
    long steps = 0;
};

// The drawing-precision slider at a fixed position.
struct FixedSlider : TraceHost {
    FixedSlider(SimState& s, int position) : s(s), position(position) {}
    void ShowMenu(float, float) override {}
    void DrawSliderClick() override { s.DrawSpeed = static_cast<std::int16_t>(11 - position); }
    SimState& s;
    int position;
};

// Preparation's view of a picture held in memory, with no controls at all.
struct PictureOnly : PreparationHost {
    PictureOnly(const QImage& picture, int slider) : image(picture), slider(slider) {}
    void DisablePreparationControls() override {}
    void EnablePreparationControls() override {}
    void RestorePreparationControls() override {}
    int CalcSliderPosition() override { return slider; }
    float ScaleWidth() override { return static_cast<float>(image.width()); }
    float ScaleHeight() override { return static_cast<float>(image.height()); }
    void SetProgressMax(float m) override { max = m; }
    float ProgressMax() override { return max; }
    void SetProgressValue(float) override {}
    void ShowProgress(bool) override {}
    PixelView Pixels() override {
        return {reinterpret_cast<const std::uint32_t*>(image.constBits()),
                static_cast<int>(image.bytesPerLine() / 4), image.width(), image.height()};
    }
    void ShowMarker(bool) override {}
    void MoveMarker(float, float, float, float) override {}
    void SetLabelText(const std::string&) override {}
    float LabelWidth() override { return 40; }
    float LabelHeight() override { return 20; }
    void MoveLabel(float, float) override {}
    void ShowLabel(bool) override {}
    void RepaintLabel() override {}
    void SetPrepareCaption(const std::string&) override {}
    void SetElapsedText(const std::string&) override {}
    QImage image;
    int slider;
    float max = 0;
};

// The same random points for every run of "Пуск", in the window and alone.
struct FixedSeedRandom : RandomSource {
    void Randomize() override { gen.seed(20240607u); }
    float Rnd() override { return static_cast<float>(gen() >> 8) * (1.0f / 16777216.0f); }
    std::mt19937 gen;
};

// Copies the user parameters, so that the core works as the window does.
inline void CopyParameters(const SimState& from, SimState& to) {
    to.TimeLimit = from.TimeLimit;
    to.MaxTension = from.MaxTension;
    to.PartDimmension = from.PartDimmension;
    to.MaxCharge = from.MaxCharge;
}

// Seconds of one Preparation of `picture` by the core alone.
inline double PrepareAlone(SimState& s, const QImage& picture, int slider) {
    PictureOnly host(picture, slider);
    NoSettings settings;
    SteadyClock clock;
    NoYield loop;
    Preparation prep(s, host, settings, clock, loop);
    const double t0 = Now();
    prep.Run();
    return Now() - t0;
}

struct Run {
    double seconds = 0;
    long steps = 0;
};

// The tracer on the core alone: a null canvas and a yield that does nothing.
struct CoreTracer {
    CoreTracer(SimState& s, int drawSlider)
        : slider(s, drawSlider), field(s), tracer(s, field, canvas, loop, clock, slider) {}
    SteadyClock clock;
    NoYield loop;
    NullCanvas canvas;
    FixedSlider slider;
    TensionEvaluator field;
    Tracer tracer;
};

inline Run TraceAlone(SimState& s, float x, float y, int drawSlider) {
    CoreTracer core(s, drawSlider);
    const double t0 = Now();
    core.tracer.MouseDown(1, 0, x, y);
    return {Now() - t0, core.canvas.steps};
}

inline Run StartAlone(SimState& s, int drawSlider) {
    CoreTracer core(s, drawSlider);
    FixedSeedRandom random;
    AutoTracer run(s, core.tracer, random);
    const double t0 = Now();
    run.Run([] {});
    return {Now() - t0, core.canvas.steps};
}

}  // namespace tovik::bench
