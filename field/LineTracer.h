#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "field/Geometry.h"
#include "field/Tension.h"
#include "model/Ports.h"
#include "model/RunTimeError.h"

namespace tovik {

// A point of a field line, in single-precision pixels.
struct TracePoint {
    float x = 0;
    float y = 0;
    bool operator==(const TracePoint&) const = default;
};

// Why a branch ended.
enum class BranchEnd : std::uint8_t {
    NotStarted,  // the start field was 0.00001 or weaker, or 1000 or stronger
    TooWeak,     // the field fell below 0.00001
    TooStrong,   // the field rose above MaxTension
    OutOfTime,   // the branch used its time or its steps
    Stopped,     // someone asked the tracing to stop
    Failed,      // a run-time error ended it
};

// Where in a step a run-time error struck; the drawing of the step up to
// that point is done.
enum class ErrorStage : std::uint8_t {
    Start,       // evaluating the start field: nothing is drawn
    Test,        // testing whether to go on, or forming the step vector
    Move,        // moving the point: the current point is plotted
    Evaluation,  // evaluating the field at the new point: the segment is drawn
};

// What a branch's course depends on besides its start and its field.
struct TraceParameters {
    std::int16_t step = 0;  // DrawSpeed: pixels a step, its sign the direction
    float maxTension = 0;
    float timeLimit = 0;
    long stepLimit = 0;  // above 0: this many steps a branch instead of the time limit
    bool operator==(const TraceParameters&) const = default;
};

// Enough of a branch to take it on from where it stands.
struct BranchPosition {
    float x = 0;
    float y = 0;
    FieldVector e;      // the field at (x, y)
    long steps = 0;     // steps taken
    double seconds = 0; // tracing time used
};

// Traces one branch of a field line from a start point, one step at a time:
//
//   the start test: 0.00001 < |E| < 1000 at the start point;
//   while |E| >= 0.00001, |E| (single) <= MaxTension and the time (or the
//   steps) allowed are not used up: E := normalised E * step; the point moves
//   by E, each coordinate rounded to single precision; E := the field there.
//
// Every step is checked; a run-time error propagates as RunTimeError. The
// tracer computes values only: whoever drives it draws the points.
class BranchTracer {
public:
    BranchTracer(TensionEvaluator field, const TraceParameters& parameters, Clock& clock);

    // Evaluates the start field; false when the start test fails.
    bool Begin(float x0, float y0);
    // Takes a branch on from a position reached with other inputs.
    void Resume(const BranchPosition& position);

    // The inputs may change between steps; the position stays.
    void SetField(TensionEvaluator field) { field_ = std::move(field); }
    void SetParameters(const TraceParameters& p) { p_ = p; }
    const TensionEvaluator& Field() const { return field_; }
    const TraceParameters& Parameters() const { return p_; }

    // The three parts of a step, in this order. GoesOn applies the stop tests
    // and forms the step vector; false when the branch ends (End() says why).
    bool GoesOn();
    // Moves the point; returns the new point.
    TracePoint Move();
    // Evaluates the field at the new point.
    void Evaluate();

    // Time spent waiting for others, which does not count as tracing time.
    void AddIdleSeconds(double s) { idle_ += s; }

    TracePoint Point() const { return {x_, y_}; }
    BranchPosition Position() const;
    BranchEnd End() const { return end_; }
    long Steps() const { return steps_; }

    static constexpr double MinTension = 0.00001;
    static constexpr double StartLimit = 1000.0;

private:
    double Seconds() const;

    TensionEvaluator field_;
    TraceParameters p_;
    Clock& clock_;
    float x_ = 0;
    float y_ = 0;
    FieldVector e_;
    long steps_ = 0;
    double t0_ = 0;
    double idle_ = 0;
    BranchEnd end_ = BranchEnd::NotStarted;
};

// One branch as a value: its start point, then the end of every step.
struct TracedBranch {
    std::vector<TracePoint> points;  // empty when the start test failed
    BranchEnd end = BranchEnd::NotStarted;
    RunTimeErrorKind error = RunTimeErrorKind::Overflow;  // when end is Failed
    ErrorStage stage = ErrorStage::Start;                 // when end is Failed
    long Steps() const { return points.empty() ? 0 : static_cast<long>(points.size()) - 1; }
};

// The field line through a point: the branch along the field (positive
// step), then the one against it, each from the point. A failed branch ends
// the line.
struct TracedLine {
    TracePoint start;
    std::vector<TracedBranch> branches;
    long Steps() const;
};

// How a branch ended, with the error that ended it.
struct BranchOutcome {
    BranchEnd end = BranchEnd::NotStarted;
    RunTimeErrorKind error = RunTimeErrorKind::Overflow;
    ErrorStage stage = ErrorStage::Start;
};

// Traces a branch from `start` to its end: `started(start)` when the start
// test passes, `point(p)` with each new point, and after each step
// `goOn()`, which ends the branch as Stopped when it returns false. A
// run-time error ends it as Failed, with its kind and stage.
template <typename Started, typename Point, typename GoOn>
BranchOutcome RunBranch(BranchTracer& tracer, TracePoint start, Started&& started, Point&& point, GoOn&& goOn) {
    BranchOutcome out;
    try {
        if (!tracer.Begin(start.x, start.y)) return out;
        started(start);
        for (;;) {
            out.stage = ErrorStage::Test;
            if (!tracer.GoesOn()) break;
            out.stage = ErrorStage::Move;
            point(tracer.Move());
            out.stage = ErrorStage::Evaluation;
            tracer.Evaluate();
            if (!goOn()) {
                out.end = BranchEnd::Stopped;
                return out;
            }
        }
        out.end = tracer.End();
    } catch (const RunTimeError& e) {
        out.end = BranchEnd::Failed;
        out.error = e.kind();
    }
    return out;
}

// Traces a whole branch. `stop`, when given, ends it (as Stopped) at the next
// step once set.
TracedBranch TraceBranch(const TensionEvaluator& field, const TraceParameters& parameters, float x0, float y0,
                         Clock& clock, const std::atomic<bool>* stop = nullptr);

// Traces both branches: `parameters.step` must be positive; the second branch
// takes it negated.
TracedLine TraceLine(const TensionEvaluator& field, const TraceParameters& parameters, float x0, float y0,
                     Clock& clock, const std::atomic<bool>* stop = nullptr);

// The steady clock of the machine.
class SteadyClock : public Clock {
public:
    double Seconds() override;
};

}  // namespace tovik
