#include "app/render/HeadlessDriver.h"

#include "picture/DrawingArea.h"

namespace tovik {

HeadlessDriver::HeadlessDriver(SimState& state, const QImage& picture, const Options& options)
    : state_(state),
      options_(options),
      image_(ComposeDrawingArea(picture)),
      random_(options.seed ? MersenneRandom(*options.seed) : MersenneRandom()),
      tracing_(state, TracingPorts{canvas_, loop_, clock_, random_, *this}) {
    state_.CalcSpeed = options.cell;
    state_.DrawSpeed = static_cast<std::int16_t>(options.step);
    state_.PartDimmension = options.square;
    state_.TimeLimit = options.timeLimit;
    state_.MaxTension = options.maxField;
    state_.MaxCharge = options.maxCharge;
    tracing_.SetStepLimit(options.maxSteps);
    tracing_.SetRecord(&drawn_);
    tracing_.SetThreads(options.threads);
}

// The drawing-precision slider stands where the step puts it; nothing is
// stored.
void HeadlessDriver::DrawSliderClick() { state_.DrawSpeed = static_cast<std::int16_t>(options_.step); }

PixelBuffer HeadlessDriver::Lock() {
    return {reinterpret_cast<std::uint32_t*>(image_.bits()), static_cast<int>(image_.bytesPerLine() / 4),
            image_.width(), image_.height()};
}

PreparationResult HeadlessDriver::Prepare() {
    PreparationInput input;
    input.pixels = PixelsOf(image_);
    input.scaleWidth = static_cast<float>(image_.width());
    input.scaleHeight = static_cast<float>(image_.height());
    input.cellSize = options_.cell;
    SilentPreparation silent;
    return PrepareChargeModel(state_, input, silent);
}

void HeadlessDriver::CoverWithLines(AutoTraceProgress* progress) { tracing_.StartAutomaticTracing(progress); }

void HeadlessDriver::Trace(float x, float y) { tracing_.MouseDown(1, 0, x, y); }

}  // namespace tovik
