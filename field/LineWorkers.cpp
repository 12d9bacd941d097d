#include "field/LineWorkers.h"

#include <algorithm>
#include <chrono>
#include <system_error>

#ifdef __linux__
#include <sys/resource.h>
#include <unistd.h>
#endif

#include "model/Checked.h"

namespace tovik {

bool LineJob::Next(Piece& piece, double seconds) {
    std::unique_lock lock(mutex_);
    if (pieces_.empty() && seconds > 0)
        changed_.wait_for(lock, std::chrono::duration<double>(seconds), [this] { return !pieces_.empty(); });
    if (pieces_.empty()) return false;
    piece = std::move(pieces_.front());
    pieces_.pop_front();
    queued_ -= piece.points.size();
    lock.unlock();
    changed_.notify_all();
    return true;
}

void LineJob::Cancel() {
    {
        std::lock_guard lock(mutex_);
        cancelled_ = true;
    }
    changed_.notify_all();
}

double LineJob::Put(Piece&& piece, Clock& clock) {
    std::unique_lock lock(mutex_);
    double waited = 0;
    if (queued_ >= cap_ && !Cancelled()) {
        const double t0 = clock.Seconds();
        changed_.wait(lock, [this] { return queued_ < cap_ || Cancelled(); });
        waited = clock.Seconds() - t0;
    }
    queued_ += piece.points.size();
    pieces_.push_back(std::move(piece));
    lock.unlock();
    changed_.notify_all();
    return waited;
}

void LineJob::Trace(Clock& clock) {
    TraceParameters p = request_.parameters;
    for (int b = 0; b < 2 && !Cancelled(); ++b) {
        Piece piece;
        piece.branch = b;
        BranchTracer tracer(request_.field, p, clock);
        const BranchOutcome out = RunBranch(
            tracer, request_.start, [&](TracePoint s) { piece.points.push_back(s); },
            [&](TracePoint q) { piece.points.push_back(q); },
            [&] {
                if (Cancelled()) return false;
                if (piece.points.size() < PiecePoints) return true;
                Piece full = std::move(piece);
                piece = Piece{};
                piece.branch = b;
                full.seconds = tracer.Position().seconds;
                tracer.AddIdleSeconds(Put(std::move(full), clock));
                return true;
            });
        if (out.end == BranchEnd::Stopped) return;
        piece.last = true;
        piece.end = out.end;
        piece.error = out.error;
        piece.stage = out.stage;
        Put(std::move(piece), clock);
        if (out.end == BranchEnd::Failed) return;
        p.step = static_cast<std::int16_t>(-p.step);
    }
}

LineWorkers::LineWorkers(int threads) {
    for (int i = 0; i < threads; ++i) {
        try {
            threads_.emplace_back([this] { Work(); });
        } catch (const std::system_error&) {
            break;  // the threads that did start do the work
        }
    }
}

LineWorkers::~LineWorkers() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    CancelAll();
    wake_.notify_all();
    for (std::thread& t : threads_) t.join();
}

std::shared_ptr<LineJob> LineWorkers::Submit(LineRequest request, std::size_t pointCap) {
    auto job = std::make_shared<LineJob>(std::move(request), std::max<std::size_t>(pointCap, 1));
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(job);
    }
    wake_.notify_one();
    return job;
}

void LineWorkers::CancelAll() {
    std::vector<std::shared_ptr<LineJob>> jobs;
    {
        std::lock_guard lock(mutex_);
        jobs.assign(queue_.begin(), queue_.end());
        jobs.insert(jobs.end(), running_.begin(), running_.end());
        queue_.clear();
    }
    for (auto& job : jobs) job->Cancel();
}

void LineWorkers::Work() {
#ifdef __linux__
    // The thread that draws and answers events wins the processor whenever
    // it has something to do: the workers only fill the time it leaves.
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 19);
#endif
    SteadyClock clock;
    for (;;) {
        std::shared_ptr<LineJob> job;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stop_ || !queue_.empty(); });
            if (stop_) return;
            job = std::move(queue_.front());
            queue_.pop_front();
            running_.push_back(job);
        }
        // A line the thread cannot finish (memory ran out, say) is given up;
        // its reader traces the rest itself.
        try {
            if (!job->Cancelled()) job->Trace(clock);
        } catch (...) {
            job->Cancel();
        }
        std::lock_guard lock(mutex_);
        running_.erase(std::find(running_.begin(), running_.end(), job));
    }
}

}  // namespace tovik
