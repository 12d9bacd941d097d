#pragma once

#include <QImage>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "field/Engine.h"
#include "field/RasterCanvas.h"
#include "model/SimState.h"

namespace tovik {

// The engine without a window: the drawing area held in an image, a yield
// that does nothing, the steady clock, no beep and no settings.
class HeadlessDriver : private Clock, private EventLoop, private TraceHost, private Beeper, private RasterSurface {
public:
    struct Options {
        std::int32_t cell = 8;
        int step = 4;  // DrawSpeed
        std::int32_t square = 25;
        float timeLimit = 10;
        float maxField = 5000;
        float maxCharge = 1000;
        std::optional<std::uint32_t> seed;
        long maxSteps = 0;  // 0: the time limit applies
    };

    // `picture` is shown in the drawing area as the window shows it.
    HeadlessDriver(SimState& state, const QImage& picture, const Options& options);

    PreparationResult Prepare();
    // "Пуск" over the whole picture; `progress` may be null.
    void CoverWithLines(AutoTraceProgress* progress);
    // A left click at (x, y).
    void Trace(float x, float y);
    ProbeReading Probe(float x, float y) { return engine_.Probe(x, y); }

    const QImage& Drawing() const { return image_; }
    QImage& Drawing() { return image_; }
    long Lines() const { return lines_; }
    long Steps() const { return engine_.LineTracer().Steps(); }
    Engine& engine() { return engine_; }

private:
    double Seconds() override;
    bool Yield() override { return true; }
    void ShowMenu(float, float) override {}
    void DrawSliderClick() override;
    void Beep() override {}
    PixelBuffer Lock() override;
    void Damaged(int, int, int, int) override {}

    // Counts the lines that automatic tracing starts.
    struct CountingPress : PressHandler {
        CountingPress(HeadlessDriver& d) : d(d) {}
        bool MouseDown(int button, int shift, float x, float y) override;
        HeadlessDriver& d;
    };

    SimState& state_;
    Options options_;
    QImage image_;
    MersenneRandom random_;
    RasterCanvas canvas_{*this};
    Engine engine_;
    long lines_ = 0;
};

}  // namespace tovik
