#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "drawing/LineInputs.h"
#include "field/LineTracer.h"

namespace tovik {

// A branch as it was drawn: its points in the order drawn (the first is the
// line's start; none when the start test failed), why it ended, and the
// inputs it was last traced with. `parameters.step` carries the branch's
// direction: positive along the field (from + to −), negative against it.
struct DrawnBranch {
    TracedBranch trace;
    LineInputs inputs;
};

// A field line as it was drawn: the point it was started from and its
// branches in the order drawn.
struct DrawnLine {
    TracePoint start;
    std::vector<DrawnBranch> branches;
};

// Every field line drawn on the picture since it was loaded or cleared, in
// the order the lines were started. Lines may be drawn into nested: a click
// while a line is drawn starts a line of its own, and the outer one goes on
// after it.
class DrawnLines {
public:
    // Where a branch being drawn is kept. A handle from before Clear() refers
    // to nothing: what the branch draws next starts a line of its own.
    struct Handle {
        std::uint64_t generation = 0;
        std::size_t line = 0;
        std::size_t branch = 0;
        // Of the branch, to take it on after Clear() from the last point.
        LineInputs inputs;
        TracePoint start;
        TracePoint last;
        bool drawn = false;
    };

    // A new line from `start`.
    Handle BeginLine(TracePoint start);
    // A new branch of the handle's line, traced with `inputs`; the handle
    // then refers to it.
    void BeginBranch(Handle& h, const LineInputs& inputs);
    // The next point drawn on the handle's branch.
    void Add(Handle& h, TracePoint p);
    // The inputs changed while the branch was drawn.
    void SetInputs(Handle& h, const LineInputs& inputs);
    // How the branch ended.
    void End(Handle& h, const BranchOutcome& outcome);

    // Forgets every line: the picture was cleared or replaced. While a
    // Reading is open the lines stay readable, and are forgotten when the
    // last Reading closes.
    void Clear();

    // Keeps the lines as they are while it lives, for a reader that lets
    // events through (a long export) during which the picture may be
    // replaced. Nothing may be drawn meanwhile.
    class Reading {
    public:
        explicit Reading(DrawnLines& lines) : lines_(lines) { ++lines_.readers_; }
        ~Reading() {
            if (--lines_.readers_ == 0 && lines_.clearPending_) lines_.Forget();
        }
        Reading(const Reading&) = delete;
        Reading& operator=(const Reading&) = delete;

    private:
        DrawnLines& lines_;
    };

    const std::vector<DrawnLine>& Lines() const { return lines_; }
    long PointCount() const { return points_; }

private:
    DrawnBranch& Branch(Handle& h);
    void Forget();

    std::vector<DrawnLine> lines_;
    std::uint64_t generation_ = 1;
    long points_ = 0;
    int readers_ = 0;
    bool clearPending_ = false;
};

}  // namespace tovik
