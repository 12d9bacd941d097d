#pragma once

#include "field/Geometry.h"
#include "model/Platform.h"
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
    // Returns false when the window went away during a yield: the caller must
    // then stop at once.
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

private:
    bool TraceBranch(float x0, float y0);

    SimState& s_;
    TensionEvaluator& field_;
    Canvas& canvas_;
    EventLoop& loop_;
    Clock& clock_;
    TraceHost& host_;
};

}  // namespace tovik
