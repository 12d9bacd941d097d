#include "drawing/LinePrefetch.h"

#include <algorithm>

#include "model/RunTimeError.h"

namespace tovik {

LinePrefetch::LinePrefetch(int threads)
    : workers_(threads), linesAhead_(2 * static_cast<std::size_t>(std::max(workers_.Threads(), 1))) {}

std::shared_ptr<LineJob> LinePrefetch::Take(TracePoint point, const LineInputs& inputs) {
    if (ahead_.empty() || !(ahead_.front().point == point) || !(ahead_.front().inputs == inputs)) {
        Drop();
        return nullptr;
    }
    std::shared_ptr<LineJob> job = std::move(ahead_.front().job);
    ahead_.pop_front();
    return job;
}

void LinePrefetch::Foresee(const SquareWalk& walk, const RandomSource& random, const SimState& state,
                           const LineInputs& inputs) {
    if (!Active()) return;
    if (!walk_) {
        walk_ = walk;
        random_ = random.Clone();
        exhausted_ = false;
    }
    if (!ahead_.empty() && !(ahead_.back().inputs == inputs)) {
        Drop();
        walk_ = walk;
        random_ = random.Clone();
    }
    const std::size_t cap = PointBudget / linesAhead_;
    while (!exhausted_ && ahead_.size() < linesAhead_) {
        std::optional<TracePoint> p;
        try {
            p = walk_->Next(state, *random_);
        } catch (const RunTimeError&) {
            // The run itself meets the error when it gets there.
        }
        if (!p) {
            exhausted_ = true;
            break;
        }
        ahead_.push_back({*p, inputs, workers_.Submit(LineRequest{inputs.field, inputs.parameters, *p}, cap)});
    }
}

void LinePrefetch::Drop() {
    for (Ahead& a : ahead_) a.job->Cancel();
    ahead_.clear();
    walk_.reset();
    random_.reset();
    exhausted_ = false;
}

}  // namespace tovik
