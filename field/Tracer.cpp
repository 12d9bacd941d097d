#include "field/Tracer.h"

#include "field/Tension.h"
#include "model/Checked.h"

namespace tovik {

using namespace checked;

Tracer::Tracer(SimState& state, TensionEvaluator& field, Canvas& canvas, EventLoop& loop, Clock& clock,
               TraceHost& host)
    : s_(state), field_(field), canvas_(canvas), loop_(loop), clock_(clock), host_(host) {}

bool Tracer::MouseDown(int button, int, float x, float y) {
    if (button == 2) {
        host_.ShowMenu(x, y);
        return true;
    }
    const float x0 = x, y0 = y;
    host_.DrawSliderClick();
    // The sign of the shared DrawSpeed is the direction of the branch; a
    // nested trace or the slider may change it while a branch yields.
    bool finished = true;
    do {
        if (!TraceBranch(x0, y0)) {
            finished = false;
            break;
        }
        s_.DrawSpeed = Narrow16(-std::int32_t{s_.DrawSpeed});
    } while (s_.DrawSpeed < 0);
    // A stopped trace leaves DrawSpeed as a finished one does.
    s_.DrawSpeed = Narrow16(s_.DrawSpeed < 0 ? -std::int32_t{s_.DrawSpeed} : s_.DrawSpeed);
    return finished;
}

bool Tracer::TraceBranch(float x0, float y0) {
    // A monotonic clock: only the time since the branch began counts.
    const double t0 = clock_.Seconds();
    float x = x0, y = y0;
    FieldVector e = field_.GetTension(x, y);
    const double startLength = VectorLength(e);
    if (!(startLength > MinTension && startLength < StartLimit)) return true;

    canvas_.SetForeColor(LineColour);
    canvas_.Plot(x, y);
    ++branches_;
    for (long steps = 0;; ++steps) {
        const double length = VectorLength(e);
        if (!(length >= MinTension)) break;
        if (!(ToSingle(length) <= s_.MaxTension)) break;
        if (!WithinBudget(t0, steps)) break;

        e = VectorMultiply(VectorNormalize(e), static_cast<double>(s_.DrawSpeed));
        canvas_.Plot(x, y);
        x = ToSingle(static_cast<double>(x) + e.X);
        y = ToSingle(static_cast<double>(y) + e.Y);
        canvas_.LineTo(x, y);
        e = field_.GetTension(x, y);
        ++steps_;
        if (!loop_.Yield()) return false;
    }
    return true;
}

bool Tracer::WithinBudget(double t0, long steps) {
    if (stepLimit_ > 0) return steps < stepLimit_;
    return ToSingle(clock_.Seconds() - t0) <= s_.TimeLimit;
}

}  // namespace tovik
