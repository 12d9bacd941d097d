#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

#include "field/TensionKernel.h"

namespace tovik {

// The field sum of a long list of charged cells on two processors. The list
// is cut into blocks; a helper thread computes the terms of blocks ahead of
// the caller and stores them, while the calling thread walks the blocks in
// order: it adds the stored terms of the helper's blocks and computes and
// adds those of the blocks the helper has not taken. Every term is added on
// the calling thread in list order, so the sum has exactly the bits of the
// one-thread sum.
//
// The caller never waits for the helper: a block the helper has not finished
// when the caller reaches it is computed by the caller too, and the caller
// returns without waiting for the helper to leave. Each sum is a
// job of its own that shares the ownership of the cells, the stored terms and
// the blocks' states with the helper, so a late helper only touches what it
// co-owns.
//
// Whether two processors help depends on the machine and on what else runs
// on it, so the instance keeps the time per cell of the two ways (moving
// averages), sums the faster way, and tries the other one every
// ExploreEvery-th sum. Both ways give the same bits.
//
// One process-wide instance; the thread starts at the first use and sleeps
// between sums.
class ParallelTermSum {
public:
    static constexpr std::size_t BlockCells = 1024;
    // The helper takes no block closer than this to the caller's, so that the
    // caller seldom meets a block in progress.
    static constexpr std::size_t Lead = 4;
    // Below this many cells waking the helper costs more than it saves.
    static constexpr std::size_t MinCells = 24 * 1024;
    static constexpr unsigned ExploreEvery = 32;

    static ParallelTermSum& Shared();

    ParallelTermSum(const ParallelTermSum&) = delete;
    ParallelTermSum& operator=(const ParallelTermSum&) = delete;
    ~ParallelTermSum();

    // Adds the terms of cells [0, n) to (ex, ey) in order. owner keeps the
    // cells' arrays alive for as long as the helper may read them. Returns
    // false without doing anything when the helper thread cannot be had
    // (another thread is summing, there is a single processor, or the thread
    // could not be started).
    bool Sum(const kernel::CellArrays& cells, std::size_t n, std::shared_ptr<const void> owner, double x, double y,
             double& ex, double& ey);

    // Number of blocks of the last two-thread sum whose terms the helper
    // computed.
    std::size_t HelperBlocksOfLastSum();
    // Whether the last sum took the two-thread way.
    bool LastSumShared() const { return lastShared_; }

    // For tests: the helper computes every block and the caller only adds,
    // waiting as long as it takes, so that the stored terms are used whatever
    // the timing.
    void SetHelperTakesAll(bool all) { helperTakesAll_ = all; }

private:
    struct Job;
    class Placement;

    ParallelTermSum() = default;
    bool EnsureThread();
    void SumShared(const kernel::CellArrays& cells, std::size_t n, std::shared_ptr<const void> owner, double x,
                   double y, double& ex, double& ey);
    // seen: the job count when the thread was started.
    void Run(std::uint32_t seen);
    static void Help(Job& job, Placement& placement);

    std::mutex use_;      // one caller at a time
    void WakeHelper();

    std::mutex publish_;  // guards job_
    std::mutex sleep_;    // with wake_: where the helper sleeps between sums
    std::condition_variable wake_;
    std::shared_ptr<Job> job_;
    std::shared_ptr<double[]> terms_;  // two per cell, handed to each job
    std::size_t termsSize_ = 0;

    // Nanoseconds per cell of each way, 0 until measured; guarded by use_.
    double sharedNs_ = 0;
    double aloneNs_ = 0;
    unsigned sums_ = 0;
    bool lastShared_ = false;

    std::thread thread_;
    bool started_ = false;
    bool startFailed_ = false;
    std::atomic<std::uint32_t> jobSeq_{0};  // bumped to publish a job or the stop
    std::atomic<bool> stop_{false};
    std::atomic<bool> helperTakesAll_{false};
};

}  // namespace tovik
