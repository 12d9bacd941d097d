#pragma once

// The main window's parts with their time added up: drawing, the yield, the
// drawing-precision slider's handler, Preparation's controls and the store.

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "bench/CoreAlone.h"
#include "field/AutoTracer.h"
#include "field/Tracer.h"
#include "model/Preparation.h"
#include "settings/SettingsStore.h"
#include "ui/MainWindow.h"
#include "ui/PreparationView.h"
#include "ui/WindowHost.h"

namespace tovik::bench {

// Forwards drawing to the window and adds up its time; keeps the points at
// which the tracer evaluated the field, for the evaluation pass.
struct TimedCanvas : Canvas {
    explicit TimedCanvas(Canvas& to) : to(to) {}
    void SetForeColor(std::int32_t c) override {
        const double t0 = Now();
        to.SetForeColor(c);
        seconds += Now() - t0;
    }
    void Plot(float x, float y) override {
        const double t0 = Now();
        to.Plot(x, y);
        seconds += Now() - t0;
    }
    void LineTo(float x, float y) override {
        const double t0 = Now();
        to.LineTo(x, y);
        seconds += Now() - t0;
        points.emplace_back(x, y);
    }
    Canvas& to;
    double seconds = 0;
    std::vector<std::pair<float, float>> points;
};

struct TimedLoop : EventLoop {
    explicit TimedLoop(EventLoop& to) : to(to) {}
    bool Yield() override {
        const double t0 = Now();
        const bool alive = to.Yield();
        seconds += Now() - t0;
        return alive;
    }
    EventLoop& to;
    double seconds = 0;
};

// The popup menu and the drawing-precision slider's handler of the window,
// the handler timed: it stores DrawSpeed in the settings once per click.
struct TimedTraceHost : TraceHost {
    explicit TimedTraceHost(TraceHost& to) : to(to) {}
    void ShowMenu(float x, float y) override { to.ShowMenu(x, y); }
    void DrawSliderClick() override {
        const double t0 = Now();
        to.DrawSliderClick();
        seconds += Now() - t0;
    }
    TraceHost& to;
    double seconds = 0;
};

// A press handler that notes every pressed point before tracing it: each
// branch evaluates the field there once.
struct NotingPress : PressHandler {
    NotingPress(PressHandler& to, std::vector<std::pair<float, float>>& starts) : to(to), starts(starts) {}
    bool MouseDown(int button, int shift, float x, float y) override {
        starts.emplace_back(x, y);
        starts.emplace_back(x, y);
        return to.MouseDown(button, shift, x, y);
    }
    PressHandler& to;
    std::vector<std::pair<float, float>>& starts;
};

struct Split {
    double total = 0, evaluation = 0, drawing = 0, yield = 0, slider = 0;
    long steps = 0;
    double rest() const { return total - evaluation - drawing - yield - slider; }
};

// One click at (x, y), or with `start` one "Пуск", through a tracer of our
// own over the window's canvas, event loop, clock and evaluator; the field
// is then evaluated again at every point the tracer evaluated it, alone.
inline Split TraceInWindow(MainWindow& w, bool start, float x, float y) {
    WindowHost& host = w.host();
    TimedCanvas canvas(host);
    TimedLoop loop(host);
    TimedTraceHost slider(host);
    Tracer tracer(w.state(), host.field(), canvas, loop, host, slider);
    std::vector<std::pair<float, float>> starts;
    NotingPress press(tracer, starts);
    const double t0 = Now();
    if (start) {
        FixedSeedRandom random;
        AutoTracer(w.state(), press, random).Run([] {});
    } else {
        press.MouseDown(1, 0, x, y);
    }
    Split r;
    r.total = Now() - t0;
    r.drawing = canvas.seconds;
    r.yield = loop.seconds;
    r.slider = slider.seconds;
    r.steps = static_cast<long>(canvas.points.size());
    volatile double sink = 0;
    std::vector<double> passes;
    for (int k = 0; k < 3; ++k) {
        const double e0 = Now();
        for (const auto& [px, py] : starts) sink = sink + host.field().GetTension(px, py).X;
        for (const auto& [px, py] : canvas.points) sink = sink + host.field().GetTension(px, py).X;
        passes.push_back(Now() - e0);
    }
    r.evaluation = Median(passes);
    return r;
}

// Forwards Preparation's calls on the window and adds up their time.
struct TimedView : PreparationHost {
    explicit TimedView(PreparationHost& to) : to(to) {}
    template <typename F>
    auto Timed(F&& f) {
        struct Add {
            double& sum;
            double t0 = Now();
            ~Add() { sum += Now() - t0; }
        } add{seconds};
        return f();
    }
    void DisablePreparationControls() override { Timed([&] { to.DisablePreparationControls(); }); }
    void EnablePreparationControls() override { Timed([&] { to.EnablePreparationControls(); }); }
    void RestorePreparationControls() override { Timed([&] { to.RestorePreparationControls(); }); }
    int CalcSliderPosition() override { return Timed([&] { return to.CalcSliderPosition(); }); }
    float ScaleWidth() override { return Timed([&] { return to.ScaleWidth(); }); }
    float ScaleHeight() override { return Timed([&] { return to.ScaleHeight(); }); }
    void SetProgressMax(float m) override { Timed([&] { to.SetProgressMax(m); }); }
    float ProgressMax() override { return Timed([&] { return to.ProgressMax(); }); }
    void SetProgressValue(float v) override {
        const double t0 = Now();
        Timed([&] { to.SetProgressValue(v); });
        progress += Now() - t0;
    }
    void ShowProgress(bool v) override { Timed([&] { to.ShowProgress(v); }); }
    PixelView Pixels() override { return Timed([&] { return to.Pixels(); }); }
    void ShowMarker(bool v) override { Timed([&] { to.ShowMarker(v); }); }
    void MoveMarker(float l, float t, float w, float h) override { Timed([&] { to.MoveMarker(l, t, w, h); }); }
    void SetLabelText(const std::string& t) override { Timed([&] { to.SetLabelText(t); }); }
    float LabelWidth() override { return Timed([&] { return to.LabelWidth(); }); }
    float LabelHeight() override { return Timed([&] { return to.LabelHeight(); }); }
    void MoveLabel(float l, float t) override { Timed([&] { to.MoveLabel(l, t); }); }
    void ShowLabel(bool v) override { Timed([&] { to.ShowLabel(v); }); }
    void RepaintLabel() override { Timed([&] { to.RepaintLabel(); }); }
    void SetPrepareCaption(const std::string& c) override { Timed([&] { to.SetPrepareCaption(c); }); }
    void SetElapsedText(const std::string& t) override { Timed([&] { to.SetElapsedText(t); }); }
    PreparationHost& to;
    double seconds = 0;
    double progress = 0;  // of which the progress bar's value
};

struct TimedSettings : SettingsWriter {
    explicit TimedSettings(SettingsWriter& to) : to(to) {}
    void RegPrepare() override {
        const double t0 = Now();
        to.RegPrepare();
        seconds += Now() - t0;
    }
    void SetKeyValue(std::string_view name, std::string_view text) override {
        const double t0 = Now();
        to.SetKeyValue(name, text);
        seconds += Now() - t0;
    }
    SettingsWriter& to;
    double seconds = 0;
};

struct PrepSplit {
    double total = 0, controls = 0, progress = 0, settings = 0, yield = 0;
    double rest() const { return total - controls - settings - yield; }
};

// One Preparation over the window's controls, store, clock and event loop,
// with the time of each added up.
inline PrepSplit PrepareInWindow(MainWindow& w) {
    PreparationView view(w);
    TimedView controls(view);
    TimedSettings settings(w.store());
    TimedLoop loop(w.host());
    Preparation prep(w.state(), controls, settings, w.host(), loop);
    const double t0 = Now();
    prep.Run();
    return {Now() - t0, controls.seconds, controls.progress, settings.seconds, loop.seconds};
}

}  // namespace tovik::bench
