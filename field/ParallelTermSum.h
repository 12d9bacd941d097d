#pragma once

#include <atomic>
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
// One process-wide instance; the thread starts at the first use and sleeps
// between sums.
class ParallelTermSum {
public:
    static constexpr std::size_t BlockCells = 1024;
    // The helper takes no block closer than this to the caller's, so that the
    // caller seldom waits for a block in progress.
    static constexpr std::size_t Lead = 4;
    // Below this many cells waking the helper costs more than it saves.
    static constexpr std::size_t MinCells = 24 * 1024;

    static ParallelTermSum& Shared();

    ParallelTermSum(const ParallelTermSum&) = delete;
    ParallelTermSum& operator=(const ParallelTermSum&) = delete;
    ~ParallelTermSum();

    // Adds the terms of cells [0, n) to (ex, ey) in order. Returns false
    // without doing anything when the helper thread cannot be had (another
    // thread is summing, or it could not be started).
    bool Sum(const kernel::CellArrays& cells, std::size_t n, double x, double y, double& ex, double& ey);

    // Number of blocks of the last sum whose terms the helper computed.
    std::size_t HelperBlocksOfLastSum() const { return helperBlocks_; }

    // For tests: the helper computes every block and the caller only adds,
    // so that the stored terms are used whatever the timing.
    void SetHelperTakesAll(bool all) { helperTakesAll_ = all; }

private:
    ParallelTermSum() = default;
    bool EnsureThread();
    void Run();
    void Help();

    enum : std::uint8_t { Free, TakenByCaller, TakenByHelper, Done };

    std::mutex use_;
    std::thread thread_;
    bool started_ = false;
    bool startFailed_ = false;

    std::atomic<std::uint32_t> jobSeq_{0};  // bumped to publish a sum or the stop
    std::atomic<bool> stop_{false};
    std::atomic<bool> open_{false};        // the published sum still takes help
    std::atomic<int> helping_{0};          // the helper is between entry and exit
    std::atomic<std::size_t> callerBlock_{0};
    std::atomic<bool> helperTakesAll_{false};
    std::atomic<std::size_t> helperDone_{0};

    // The published sum; written only while the helper is outside it.
    kernel::CellArrays cells_;
    std::size_t n_ = 0;
    std::size_t blocks_ = 0;
    double x_ = 0;
    double y_ = 0;
    std::unique_ptr<double[]> terms_;  // two per cell
    std::size_t termsSize_ = 0;
    std::unique_ptr<std::atomic<std::uint8_t>[]> state_;  // one per block
    std::size_t stateSize_ = 0;
    std::size_t helperBlocks_ = 0;
};

}  // namespace tovik
