#pragma once

#include <QImage>
#include <cstdint>
#include <optional>

#include "drawing/RasterCanvas.h"
#include "drawing/TracingDriver.h"
#include "field/LineTracer.h"
#include "field/MersenneRandom.h"
#include "field/Probe.h"
#include "model/Preparation.h"
#include "model/SimState.h"

namespace tovik {

// The engine without a window: the drawing area held in an image, no events,
// the steady clock, no beep and no settings.
class HeadlessDriver : private TracingHost, private RasterSurface {
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
        int threads = 1;    // threads that trace the lines of the squares
    };

    // `picture` is shown in the drawing area as the window shows it.
    HeadlessDriver(SimState& state, const QImage& picture, const Options& options);

    PreparationResult Prepare();
    // "Пуск" over the whole picture; `progress` may be null.
    void CoverWithLines(AutoTraceProgress* progress);
    // A left click at (x, y).
    void Trace(float x, float y);
    ProbeReading Probe(float x, float y) { return ReadProbe(tracing_.Field(), x, y); }

    const QImage& Drawing() const { return image_; }
    QImage& Drawing() { return image_; }
    // The lines drawn, as values.
    const DrawnLines& Drawn() const { return drawn_; }
    long Lines() const { return tracing_.Lines(); }
    long Steps() const { return tracing_.Steps(); }
    std::size_t ChargedCells() { return tracing_.Field().Cells().Size(); }

private:
    void ShowMenu(float, float) override {}
    void DrawSliderClick() override;
    void Beep() override {}
    PixelBuffer Lock() override;
    void Damaged(int, int, int, int) override {}

    SimState& state_;
    Options options_;
    QImage image_;
    MersenneRandom random_;
    RasterCanvas canvas_{*this};
    NoEventLoop loop_;
    SteadyClock clock_;
    DrawnLines drawn_;
    TracingDriver tracing_;
};

}  // namespace tovik
