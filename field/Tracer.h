#pragma once

#include "field/Geometry.h"
#include "model/Ports.h"
#include "model/SimState.h"

namespace tovik {

class TensionEvaluator;

// What tracing needs of the window besides drawing: the popup menu and the
// drawing-precision slider's handler.
class TraceHost {
public:
    virtual ~TraceHost() = default;
    virtual void ShowMenu(float x, float y) = 0;
    // Runs the drawing-precision slider's handler: DrawSpeed from the slider,
    // stored in the settings.
    virtual void DrawSliderClick() = 0;
};

// The mouse press on the picture, as automatic tracing uses it.
class PressHandler {
public:
    virtual ~PressHandler() = default;
    // Returns false when a yield asked the trace to stop (the window went
    // away, or the user asked to stop): the caller must then stop at once.
    virtual bool MouseDown(int button, int shift, float x, float y) = 0;
};

// Traces the field line through a pressed point in both directions and draws
// it in white, yielding to the event loop after every step.
class Tracer : public PressHandler {
public:
    static constexpr double MinTension = 0.00001;
    static constexpr double StartLimit = 1000.0;
    static constexpr std::int32_t LineColour = 0xFFFFFF;

    Tracer(SimState& state, TensionEvaluator& field, Canvas& canvas, EventLoop& loop, Clock& clock,
           TraceHost& host);

    bool MouseDown(int button, int shift, float x, float y) override;

    // With a limit above 0 a branch ends after that many steps instead of
    // after TimeLimit seconds, so that what is drawn does not depend on the
    // machine's speed.
    void SetStepLimit(long steps) { stepLimit_ = steps; }

    // Steps taken and branches drawn (those that passed the start test)
    // since the tracer was made.
    long Steps() const { return steps_; }
    long Branches() const { return branches_; }

private:
    bool TraceBranch(float x0, float y0);
    // The third stop test: the time since the branch began, or the steps.
    bool WithinBudget(double t0, long steps);

    SimState& s_;
    TensionEvaluator& field_;
    Canvas& canvas_;
    EventLoop& loop_;
    Clock& clock_;
    TraceHost& host_;
    long stepLimit_ = 0;
    long steps_ = 0;
    long branches_ = 0;
};

}  // namespace tovik
