#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "field/LineTracer.h"

namespace tovik {

// A field line to trace: its start and the inputs it is traced with. The
// step of the parameters is the first branch's; the second takes it negated.
struct LineRequest {
    TensionEvaluator field;
    TraceParameters parameters;
    TracePoint start;
};

// The points of one line, handed from the thread that traces it to the one
// that reads them, a piece at a time and in order, as they are traced. The
// points waiting to be read are bounded: the tracing thread waits when the
// reader lags that far behind, and that wait does not count as tracing time.
class LineJob {
public:
    struct Piece {
        int branch = 0;
        // The next points of the branch; its first piece starts with the start
        // point. Empty for a branch whose start test failed.
        std::vector<TracePoint> points;
        // The branch ends with this piece, for the reason below.
        bool last = false;
        BranchEnd end = BranchEnd::NotStarted;
        RunTimeErrorKind error = RunTimeErrorKind::Overflow;
        ErrorStage stage = ErrorStage::Start;
        // The branch's tracing time when the piece was handed over.
        double seconds = 0;
    };

    LineJob(LineRequest request, std::size_t pointCap) : request_(std::move(request)), cap_(pointCap) {}

    const LineRequest& Request() const { return request_; }

    // Takes the next piece, waiting at most `seconds` for it. False when none
    // has come by then; once the job is cancelled, no more will come.
    bool Next(Piece& piece, double seconds);
    // The tracing stops at its next step, or never starts.
    void Cancel();
    bool Cancelled() const { return cancelled_.load(std::memory_order_relaxed); }

    // Traces the line on the calling thread, handing over its pieces.
    void Trace(Clock& clock);

private:
    // Hands a piece over; returns the seconds spent waiting for room.
    double Put(Piece&& piece, Clock& clock);

    static constexpr std::size_t PiecePoints = 4096;

    const LineRequest request_;
    const std::size_t cap_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Piece> pieces_;
    std::size_t queued_ = 0;
    std::atomic<bool> cancelled_{false};
};

// Threads that trace lines in the order they were asked for.
class LineWorkers {
public:
    // Starts up to `threads` threads; Threads() says how many did start.
    explicit LineWorkers(int threads);
    // Cancels every line and joins every thread.
    ~LineWorkers();
    LineWorkers(const LineWorkers&) = delete;
    LineWorkers& operator=(const LineWorkers&) = delete;

    int Threads() const { return static_cast<int>(threads_.size()); }

    // Queues a line; at most `pointCap` of its points wait to be read.
    std::shared_ptr<LineJob> Submit(LineRequest request, std::size_t pointCap);
    // Cancels every line queued or in progress.
    void CancelAll();

private:
    void Work();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::shared_ptr<LineJob>> queue_;
    std::vector<std::shared_ptr<LineJob>> running_;
    bool stop_ = false;
    std::vector<std::thread> threads_;
};

}  // namespace tovik
