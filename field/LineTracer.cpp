#include "field/LineTracer.h"

#include <chrono>

#include "model/Checked.h"

namespace tovik {

using namespace checked;

BranchTracer::BranchTracer(TensionEvaluator field, const TraceParameters& parameters, Clock& clock)
    : field_(std::move(field)), p_(parameters), clock_(clock) {}

bool BranchTracer::Begin(float x0, float y0) {
    // Only the time since the branch began counts.
    t0_ = clock_.Seconds();
    x_ = x0;
    y_ = y0;
    e_ = field_.GetTension(x_, y_);
    const double length = VectorLength(e_);
    end_ = BranchEnd::NotStarted;
    return length > MinTension && length < StartLimit;
}

void BranchTracer::Resume(const BranchPosition& position) {
    x_ = position.x;
    y_ = position.y;
    e_ = position.e;
    steps_ = position.steps;
    idle_ = 0;
    t0_ = clock_.Seconds() - position.seconds;
}

double BranchTracer::Seconds() const { return clock_.Seconds() - t0_ - idle_; }

BranchPosition BranchTracer::Position() const { return {x_, y_, e_, steps_, p_.stepLimit > 0 ? 0 : Seconds()}; }

bool BranchTracer::GoesOn() {
    const double length = VectorLength(e_);
    if (!(length >= MinTension)) {
        end_ = BranchEnd::TooWeak;
        return false;
    }
    if (!(ToSingle(length) <= p_.maxTension)) {
        end_ = BranchEnd::TooStrong;
        return false;
    }
    const bool within = p_.stepLimit > 0 ? steps_ < p_.stepLimit : ToSingle(Seconds()) <= p_.timeLimit;
    if (!within) {
        end_ = BranchEnd::OutOfTime;
        return false;
    }
    e_ = VectorMultiply(VectorNormalize(e_), static_cast<double>(p_.step));
    return true;
}

TracePoint BranchTracer::Move() {
    x_ = ToSingle(static_cast<double>(x_) + e_.X);
    y_ = ToSingle(static_cast<double>(y_) + e_.Y);
    return {x_, y_};
}

void BranchTracer::Evaluate() {
    e_ = field_.GetTension(x_, y_);
    ++steps_;
}

long TracedLine::Steps() const {
    long n = 0;
    for (const TracedBranch& b : branches) n += b.Steps();
    return n;
}

TracedBranch TraceBranch(const TensionEvaluator& field, const TraceParameters& parameters, float x0, float y0,
                         Clock& clock, const std::atomic<bool>* stop) {
    TracedBranch branch;
    BranchTracer tracer(field, parameters, clock);
    const BranchOutcome out = RunBranch(
        tracer, {x0, y0}, [&](TracePoint p) { branch.points.push_back(p); },
        [&](TracePoint p) { branch.points.push_back(p); },
        [&] { return !stop || !stop->load(std::memory_order_relaxed); });
    branch.end = out.end;
    branch.error = out.error;
    branch.stage = out.stage;
    return branch;
}

TracedLine TraceLine(const TensionEvaluator& field, const TraceParameters& parameters, float x0, float y0,
                     Clock& clock, const std::atomic<bool>* stop) {
    TracedLine line;
    line.start = {x0, y0};
    TraceParameters p = parameters;
    for (int b = 0; b < 2; ++b) {
        line.branches.push_back(TraceBranch(field, p, x0, y0, clock, stop));
        const BranchEnd end = line.branches.back().end;
        if (end == BranchEnd::Failed || end == BranchEnd::Stopped) break;
        p.step = Narrow16(-std::int32_t{p.step});
    }
    return line;
}

double SteadyClock::Seconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace tovik
