#pragma once

#include <memory>

#include "field/AutoTracer.h"
#include "field/Probe.h"
#include "field/Tension.h"
#include "field/Tracer.h"
#include "model/Preparation.h"
#include "model/Ports.h"
#include "model/SimState.h"

namespace tovik {

// What the engine needs of whoever drives it.
struct EnginePorts {
    Canvas& canvas;
    EventLoop& loop;
    Clock& clock;
    RandomSource& random;
    Beeper& beeper;
    // The popup menu and the drawing-precision slider's handler.
    TraceHost& host;
};

// The charge model and the field lines over one simulation state: the
// computation of Preparation, line tracing, automatic tracing and the probe.
// The main window drives it through its handlers, tovik-render from the
// command line; both give it the same ports.
class Engine {
public:
    Engine(SimState& state, const EnginePorts& ports);

    SimState& State() { return state_; }

    // The computation of "Подготовка", from sampling to the mean.
    PreparationResult Prepare(const PreparationInput& input, PreparationProgress& progress) {
        return PrepareChargeModel(state_, input, progress);
    }
    // The mouse press on the picture: the right button (2) opens the menu,
    // any other traces the field line through (x, y). Returns false when a
    // yield stopped it.
    bool MouseDown(int button, int shift, float x, float y) { return tracer_.MouseDown(button, shift, x, y); }
    // "Пуск". Returns false when a yield stopped it (no beep then).
    bool StartAutomaticTracing(AutoTraceProgress* progress = nullptr);
    // The read-outs under the pointer.
    ProbeReading Probe(float x, float y) { return ReadProbe(state_, field_, x, y); }

    TensionEvaluator& Field() { return field_; }
    Tracer& LineTracer() { return tracer_; }
    const Tracer& LineTracer() const { return tracer_; }

private:
    SimState& state_;
    EnginePorts ports_;
    TensionEvaluator field_;
    Tracer tracer_;
};

}  // namespace tovik
