#include "drawing/TracingDriver.h"

#include <algorithm>

#include "drawing/LinePrefetch.h"
#include "model/Checked.h"

namespace tovik {

using namespace checked;

namespace {

constexpr std::int32_t LineColour = 0xFFFFFF;

// The parameters a job traced a branch with.
LineInputs BranchInputs(const LineRequest& r, int branch) {
    LineInputs in{r.field, r.parameters};
    if (branch == 1) in.parameters.step = static_cast<std::int16_t>(-in.parameters.step);
    return in;
}

}  // namespace

// The record of the line being drawn, when lines are kept.
class TracingDriver::Recording {
public:
    Recording(DrawnLines* lines, TracePoint start) : lines_(lines) {
        if (lines_) h_ = lines_->BeginLine(start);
    }
    void Branch(const LineInputs& in) {
        if (lines_) lines_->BeginBranch(h_, in);
    }
    void Add(TracePoint p) {
        if (lines_) lines_->Add(h_, p);
    }
    void Inputs(const LineInputs& in) {
        if (lines_) lines_->SetInputs(h_, in);
    }
    void End(BranchEnd end, RunTimeErrorKind error = {}, ErrorStage stage = {}) {
        if (lines_) lines_->End(h_, BranchOutcome{end, error, stage});
    }
    // Ends the branch as Stopped; passes `going` on.
    bool Stopped(bool going) {
        if (!going) End(BranchEnd::Stopped);
        return going;
    }

private:
    DrawnLines* lines_;
    DrawnLines::Handle h_;
};

// A run of "Пуск": its walk over the squares and, with workers, the lines
// ahead.
struct TracingDriver::Run {
    SquareWalk walk;
    std::unique_ptr<LinePrefetch> prefetch;
};

TracingDriver::TracingDriver(SimState& state, const TracingPorts& ports) : state_(state), ports_(ports) {}

TracingDriver::~TracingDriver() = default;

LineInputs TracingDriver::Inputs() {
    LineInputs in{field_.Of(state_), {state_.DrawSpeed, state_.MaxTension, state_.TimeLimit, stepLimit_}};
    in.field.SetParallel(runsWithWorkers_ == 0);
    return in;
}

TensionEvaluator TracingDriver::Field() {
    TensionEvaluator field = field_.Of(state_);
    field.SetParallel(runsWithWorkers_ == 0);
    return field;
}

bool TracingDriver::MouseDown(int button, int, float x, float y) {
    if (button == 2) {
        ports_.host.ShowMenu(x, y);
        return true;
    }
    return TraceLine({x, y}, nullptr);
}

bool TracingDriver::TraceLine(TracePoint start, Run* run) {
    ports_.host.DrawSliderClick();
    ++lines_;
    Recording rec(record_, start);
    std::shared_ptr<LineJob> job;
    if (run && run->prefetch) {
        const LineInputs in = Inputs();
        job = run->prefetch->Take(start, in);
        if (job) ++linesFromWorkers_;
        run->prefetch->Foresee(run->walk, ports_.random, state_, in);
    }
    // Whatever of the job is not read is not traced further.
    struct CancelUnread {
        std::shared_ptr<LineJob>& job;
        ~CancelUnread() {
            if (job) job->Cancel();
        }
    } cancel{job};

    // The sign of the shared DrawSpeed is the direction of the branch; a
    // nested trace or the slider may change it while a branch yields.
    bool finished = true;
    int branch = 0;
    do {
        if (!TraceBranch(start, branch++, job, rec)) {
            finished = false;
            break;
        }
        state_.DrawSpeed = Narrow16(-std::int32_t{state_.DrawSpeed});
    } while (state_.DrawSpeed < 0);
    // A stopped trace leaves DrawSpeed as a finished one does.
    state_.DrawSpeed = Narrow16(state_.DrawSpeed < 0 ? -std::int32_t{state_.DrawSpeed} : state_.DrawSpeed);
    return finished;
}

bool TracingDriver::TraceBranch(TracePoint start, int branch, std::shared_ptr<LineJob>& job, Recording& rec) {
    const LineInputs in = Inputs();
    rec.Branch(in);
    if (job && branch < 2 && BranchInputs(job->Request(), branch) == in) return Replay(start, in, job, rec);
    if (job) {
        job->Cancel();
        job.reset();
    }
    return TraceHere(start, in, nullptr, rec);
}

bool TracingDriver::StepDone(bool& changed) {
    ++steps_;
    if (!ports_.loop.Yield()) return false;
    const std::uint64_t passes = ports_.loop.Passes();
    changed = passes != seenPasses_;
    seenPasses_ = passes;
    return true;
}

bool TracingDriver::Replay(TracePoint start, const LineInputs& in, std::shared_ptr<LineJob>& job, Recording& rec) {
    Canvas& canvas = ports_.canvas;
    TracePoint at = start;
    long steps = 0;
    bool begun = false;
    LineJob::Piece piece;
    for (;;) {
        // Events that run while the line is awaited count from the next step.
        bool given = false;
        while (!(given = job->Next(piece, 0.0002)) && !job->Cancelled()) {
            if (!ports_.loop.Idle()) return rec.Stopped(false);
        }
        if (!given) {
            // The worker gave the line up: the rest is traced here.
            job.reset();
            if (!begun) return TraceHere(start, in, nullptr, rec);
            const BranchPosition from{at.x, at.y, in.field.GetTension(at.x, at.y), steps, 0};
            return TraceHere(start, in, &from, rec);
        }
        std::size_t first = 0;
        if (!begun) {
            if (piece.points.empty()) {
                rec.End(piece.end, piece.error, piece.stage);
                if (piece.end == BranchEnd::Failed) throw RunTimeError(piece.error);
                return true;  // the start test failed: nothing is drawn
            }
            canvas.SetForeColor(LineColour);
            canvas.Plot(start.x, start.y);
            rec.Add(start);
            begun = true;
            first = 1;
        }
        for (std::size_t i = first; i < piece.points.size(); ++i) {
            canvas.Plot(at.x, at.y);
            at = piece.points[i];
            canvas.LineTo(at.x, at.y);
            rec.Add(at);
            ++steps;
            if (piece.last && i + 1 == piece.points.size() && piece.end == BranchEnd::Failed &&
                piece.stage == ErrorStage::Evaluation) {
                rec.End(piece.end, piece.error, piece.stage);
                throw RunTimeError(piece.error);
            }
            bool changed = false;
            if (!StepDone(changed)) return rec.Stopped(false);
            if (!changed) continue;
            const LineInputs now = Inputs();
            if (now == in) continue;
            // The rest of the branch follows the new inputs from here, as
            // it would have without the workers.
            const BranchPosition from{at.x, at.y, in.field.GetTension(at.x, at.y), steps, piece.seconds};
            job->Cancel();
            job.reset();
            rec.Inputs(now);
            return TraceHere(start, now, &from, rec);
        }
        if (piece.last) {
            rec.End(piece.end, piece.error, piece.stage);
            if (piece.end == BranchEnd::Failed) {
                if (piece.stage == ErrorStage::Move) canvas.Plot(at.x, at.y);
                throw RunTimeError(piece.error);
            }
            return true;
        }
    }
}

bool TracingDriver::TraceHere(TracePoint start, const LineInputs& in, const BranchPosition* from, Recording& rec) {
    Canvas& canvas = ports_.canvas;
    BranchTracer tracer(in.field, in.parameters, ports_.clock);
    ErrorStage stage = ErrorStage::Start;
    try {
        if (from) {
            tracer.Resume(*from);
        } else {
            if (!tracer.Begin(start.x, start.y)) {
                rec.End(BranchEnd::NotStarted);
                return true;
            }
            canvas.SetForeColor(LineColour);
            canvas.Plot(start.x, start.y);
            rec.Add(start);
        }
        for (;;) {
            stage = ErrorStage::Test;
            if (!tracer.GoesOn()) {
                rec.End(tracer.End());
                return true;
            }
            const TracePoint at = tracer.Point();
            canvas.Plot(at.x, at.y);
            stage = ErrorStage::Move;
            const TracePoint to = tracer.Move();
            canvas.LineTo(to.x, to.y);
            rec.Add(to);
            stage = ErrorStage::Evaluation;
            tracer.Evaluate();
            bool changed = false;
            if (!StepDone(changed)) return rec.Stopped(false);
            if (!changed) continue;
            const LineInputs now = Inputs();
            tracer.SetField(now.field);
            tracer.SetParameters(now.parameters);
            rec.Inputs(now);
        }
    } catch (const RunTimeError& e) {
        rec.End(BranchEnd::Failed, e.kind(), stage);
        throw;
    }
}

bool TracingDriver::StartAutomaticTracing(AutoTraceProgress* progress) {
    ports_.random.Randomize();
    const long total = SquareWalk::SquareCount(state_);
    long done = 0;
    if (progress) progress->SquaresDone(0, total);

    Run run{SquareWalk(state_), nullptr};
    // A nested run draws from the generator anew: the outer run's lines
    // ahead are of no use.
    if (prefetch_) prefetch_->Drop();
    LinePrefetch* outer = prefetch_;
    if (threads_ > 1) {
        run.prefetch = std::make_unique<LinePrefetch>(threads_);
        if (!run.prefetch->Active()) run.prefetch.reset();
    }
    if (run.prefetch) {
        // The first line is foreseen too: it starts with the step of the
        // slider, as every line does.
        ports_.host.DrawSliderClick();
        run.prefetch->Foresee(run.walk, ports_.random, state_, Inputs());
    }
    struct Scope {
        TracingDriver& d;
        LinePrefetch* outer;
        bool workers;
        ~Scope() {
            d.prefetch_ = outer;
            if (workers) --d.runsWithWorkers_;
        }
    } scope{*this, outer, run.prefetch != nullptr};
    if (run.prefetch) {
        prefetch_ = run.prefetch.get();
        ++runsWithWorkers_;
    }

    while (const std::optional<TracePoint> p = run.walk.Next(state_, ports_.random)) {
        if (!TraceLine(*p, &run)) return false;
        // A nested Preparation may have changed the picture's size.
        ++done;
        if (progress) progress->SquaresDone(done, std::max(total, done));
    }
    ports_.host.Beep();
    return true;
}

}  // namespace tovik
