#pragma once

#include <cstdint>
#include <memory>

#include "drawing/DrawingPorts.h"
#include "drawing/DrawnLines.h"
#include "drawing/LineInputs.h"
#include "field/LineWorkers.h"
#include "field/SquareWalk.h"
#include "model/Ports.h"
#include "model/SimState.h"

namespace tovik {

class LinePrefetch;

// How far a run of "Пуск" has come.
class AutoTraceProgress {
public:
    virtual ~AutoTraceProgress() = default;
    // `done` of the run's `total` squares are traced; called with done = 0
    // before the first square.
    virtual void SquaresDone(long done, long total) = 0;
};

// What drawing lines needs of the window besides its canvas and event loop.
class TracingHost {
public:
    virtual ~TracingHost() = default;
    virtual void ShowMenu(float x, float y) = 0;
    // The drawing-precision slider's handler: DrawSpeed from the slider.
    virtual void DrawSliderClick() = 0;
    // The system's signal sound.
    virtual void Beep() = 0;
};

struct TracingPorts {
    Canvas& canvas;
    EventLoop& loop;
    Clock& clock;
    RandomSource& random;
    TracingHost& host;
};

// The mouse press on the picture and "Пуск", as the window and the renderer
// show them: each line is drawn step by step as it is reached, with the
// event loop let through after every step, and events that change anything
// a line depends on (the charge model, the cell side, the step with its sign,
// MaxTension, TimeLimit) take effect at its next step.
//
// A press traces its line on the calling thread. "Пуск" with more than one
// thread has the lines of the squares ahead traced on worker threads and
// replays them in square order; a line whose inputs change while it is
// drawn is taken on from where it stands on the calling thread. Either way
// the pixels are those of a run on one thread, whenever no branch reaches its
// time limit (always under a step limit).
class TracingDriver {
public:
    TracingDriver(SimState& state, const TracingPorts& ports);
    ~TracingDriver();

    // Threads that trace the lines of "Пуск": 1 traces them on the calling
    // thread. The field sum of the calling thread keeps to itself while
    // workers run.
    void SetThreads(int threads) { threads_ = threads < 1 ? 1 : threads; }
    int Threads() const { return threads_; }
    // With a limit above 0 a branch ends after that many steps instead of
    // after TimeLimit seconds, so that what is drawn does not depend on the
    // machine's speed.
    void SetStepLimit(long steps) { stepLimit_ = steps; }
    // Keeps every line drawn from now on in `record` (none: nothing is kept).
    void SetRecord(DrawnLines* record) { record_ = record; }

    // The right button (2) opens the menu; any other traces the field line
    // through (x, y). False when the event loop stopped it.
    bool MouseDown(int button, int shift, float x, float y);
    // "Пуск". False when the event loop stopped it (no beep then).
    bool StartAutomaticTracing(AutoTraceProgress* progress = nullptr);

    // The field of the state as it is now, for the probe.
    TensionEvaluator Field();

    long Lines() const { return lines_; }
    long Steps() const { return steps_; }
    // Lines of "Пуск" drawn from what worker threads traced.
    long LinesFromWorkers() const { return linesFromWorkers_; }

private:
    struct Run;
    class Recording;
    LineInputs Inputs();
    bool TraceLine(TracePoint start, Run* run);
    bool TraceBranch(TracePoint start, int branch, std::shared_ptr<LineJob>& job, Recording& rec);
    bool Replay(TracePoint start, const LineInputs& inputs, std::shared_ptr<LineJob>& job, Recording& rec);
    bool TraceHere(TracePoint start, const LineInputs& inputs, const BranchPosition* from, Recording& rec);
    // Lets the event loop through after a step; reports whether the inputs
    // may have changed.
    bool StepDone(bool& changed);

    SimState& state_;
    TracingPorts ports_;
    CurrentField field_;
    int threads_ = 1;
    long stepLimit_ = 0;
    long lines_ = 0;
    long steps_ = 0;
    long linesFromWorkers_ = 0;
    std::uint64_t seenPasses_ = 0;
    int runsWithWorkers_ = 0;
    LinePrefetch* prefetch_ = nullptr;  // of the innermost run with workers
    DrawnLines* record_ = nullptr;
};

}  // namespace tovik
