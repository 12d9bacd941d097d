#include "app/render/HeadlessDriver.h"

#include <chrono>

#include "picture/DrawingArea.h"

namespace tovik {

HeadlessDriver::HeadlessDriver(SimState& state, const QImage& picture, const Options& options)
    : state_(state),
      options_(options),
      image_(ComposeDrawingArea(picture)),
      random_(options.seed ? MersenneRandom(*options.seed) : MersenneRandom()),
      engine_(state, EnginePorts{canvas_, *this, *this, random_, *this, *this}) {
    state_.CalcSpeed = options.cell;
    state_.DrawSpeed = static_cast<std::int16_t>(options.step);
    state_.PartDimmension = options.square;
    state_.TimeLimit = options.timeLimit;
    state_.MaxTension = options.maxField;
    state_.MaxCharge = options.maxCharge;
    engine_.LineTracer().SetStepLimit(options.maxSteps);
}

double HeadlessDriver::Seconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
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
    return engine_.Prepare(input, silent);
}

bool HeadlessDriver::CountingPress::MouseDown(int button, int shift, float x, float y) {
    ++d.lines_;
    return d.engine_.MouseDown(button, shift, x, y);
}

void HeadlessDriver::CoverWithLines(AutoTraceProgress* progress) {
    CountingPress press(*this);
    AutoTracer run(state_, press, random_, *this);
    run.Run(progress);
}

void HeadlessDriver::Trace(float x, float y) {
    ++lines_;
    engine_.MouseDown(1, 0, x, y);
}

}  // namespace tovik
