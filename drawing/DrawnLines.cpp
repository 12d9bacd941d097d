#include "drawing/DrawnLines.h"

namespace tovik {

DrawnLines::Handle DrawnLines::BeginLine(TracePoint start) {
    lines_.push_back(DrawnLine{start, {}});
    return Handle{generation_, lines_.size() - 1, 0, {}, start, start, false};
}

void DrawnLines::BeginBranch(Handle& h, const LineInputs& inputs) {
    h.inputs = inputs;
    h.last = h.start;
    h.drawn = false;
    if (h.generation != generation_) return;  // begun anew with its first point
    std::vector<DrawnBranch>& branches = lines_[h.line].branches;
    branches.push_back(DrawnBranch{{}, inputs});
    h.branch = branches.size() - 1;
}

DrawnBranch& DrawnLines::Branch(Handle& h) {
    if (h.generation != generation_) {
        // The picture was cleared while the branch was drawn: what it draws
        // from now on is a line of its own, from the point it had reached.
        const LineInputs inputs = h.inputs;
        const TracePoint start = h.start, last = h.last;
        const bool drawn = h.drawn;
        h = BeginLine(drawn ? last : start);
        h.start = start;  // where the line's next branch begins
        BeginBranch(h, inputs);
        if (drawn) Add(h, last);
    }
    return lines_[h.line].branches[h.branch];
}

void DrawnLines::Add(Handle& h, TracePoint p) {
    Branch(h).trace.points.push_back(p);
    h.last = p;
    h.drawn = true;
    ++points_;
}

void DrawnLines::SetInputs(Handle& h, const LineInputs& inputs) {
    h.inputs = inputs;
    if (h.generation == generation_) lines_[h.line].branches[h.branch].inputs = inputs;
}

void DrawnLines::End(Handle& h, const BranchOutcome& outcome) {
    if (h.generation != generation_) return;
    TracedBranch& t = lines_[h.line].branches[h.branch].trace;
    t.end = outcome.end;
    t.error = outcome.error;
    t.stage = outcome.stage;
}

void DrawnLines::Clear() {
    ++generation_;
    if (readers_ > 0) {
        clearPending_ = true;
        return;
    }
    Forget();
}

void DrawnLines::Forget() {
    clearPending_ = false;
    lines_.clear();
    lines_.shrink_to_fit();
    points_ = 0;
}

}  // namespace tovik
