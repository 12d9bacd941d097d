#pragma once

#include <cstddef>
#include <deque>
#include <memory>
#include <optional>

#include "drawing/LineInputs.h"
#include "field/LineWorkers.h"
#include "field/SquareWalk.h"

namespace tovik {

// The lines of the squares ahead of "Пуск", traced on worker threads while
// the squares before them are drawn. The squares ahead are foreseen with a
// copy of the walk and of the generator, and each line with the inputs of the
// moment. A foreseen line is used only when its square's point and its inputs
// turn out to be exactly those of the square when its turn comes; otherwise
// every line ahead is dropped and foreseen anew. So the lines drawn are those
// of a run without workers, bit for bit.
class LinePrefetch {
public:
    // Points of pending lines held at most, over all lines: 48 MB.
    static constexpr std::size_t PointBudget = 6u << 20;

    explicit LinePrefetch(int threads);

    // False when no worker thread could be started.
    bool Active() const { return workers_.Threads() > 0; }

    // The line foreseen for the square at `point` traced with `inputs`, or
    // none (and every line ahead dropped) when it was foreseen otherwise.
    std::shared_ptr<LineJob> Take(TracePoint point, const LineInputs& inputs);

    // Queues the lines of the squares after the one `walk` and `random` have
    // just given, up to the number ahead, with `inputs`.
    void Foresee(const SquareWalk& walk, const RandomSource& random, const SimState& state,
                 const LineInputs& inputs);

    // Drops every line ahead; the workers stop at their next step.
    void Drop();

private:
    struct Ahead {
        TracePoint point;
        LineInputs inputs;
        std::shared_ptr<LineJob> job;
    };

    LineWorkers workers_;
    std::size_t linesAhead_;
    std::deque<Ahead> ahead_;
    // Where foreseeing goes on from: the walk and the generator after the
    // last square foreseen; empty when foreseeing must start anew.
    std::optional<SquareWalk> walk_;
    std::unique_ptr<RandomSource> random_;
    bool exhausted_ = false;
};

}  // namespace tovik
