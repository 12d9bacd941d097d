#include "field/ParallelTermSum.h"

#include <algorithm>
#include <chrono>
#include <system_error>

namespace tovik {

namespace {

inline void Pause() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#else
    std::this_thread::yield();
#endif
}

// Spins until pred holds; after a while gives the processor away between
// tries, for a helper that the system has put aside.
template <typename Pred>
void SpinUntil(Pred pred) {
    for (unsigned spins = 0; !pred(); ++spins) {
        if (spins < 4096)
            Pause();
        else
            std::this_thread::yield();
    }
}

// How long the helper stays awake after a sum, waiting for the next one: the
// tracer evaluates again right after a short yield to the event loop.
constexpr auto StayAwake = std::chrono::microseconds(100);

}  // namespace

ParallelTermSum& ParallelTermSum::Shared() {
    static ParallelTermSum instance;
    return instance;
}

ParallelTermSum::~ParallelTermSum() {
    if (!started_) return;
    stop_.store(true);
    jobSeq_.fetch_add(1);
    jobSeq_.notify_one();
    thread_.join();
}

bool ParallelTermSum::EnsureThread() {
    if (started_) return true;
    if (startFailed_) return false;
    try {
        thread_ = std::thread([this] { Run(); });
        started_ = true;
    } catch (const std::system_error&) {
        startFailed_ = true;
    }
    return started_;
}

bool ParallelTermSum::Sum(const kernel::CellArrays& cells, std::size_t n, double x, double y, double& ex,
                          double& ey) {
    std::unique_lock<std::mutex> lock(use_, std::try_to_lock);
    if (!lock.owns_lock() || !EnsureThread()) return false;

    // The helper is outside any sum here (the previous one waited for it),
    // so the sum's description may be rewritten.
    const std::size_t blocks = (n + BlockCells - 1) / BlockCells;
    if (termsSize_ < 2 * n) {
        terms_ = std::make_unique<double[]>(2 * n);
        termsSize_ = 2 * n;
    }
    if (stateSize_ < blocks) {
        state_ = std::make_unique<std::atomic<std::uint8_t>[]>(blocks);
        stateSize_ = blocks;
    }
    for (std::size_t b = 0; b < blocks; ++b) state_[b].store(Free, std::memory_order_relaxed);
    cells_ = cells;
    n_ = n;
    blocks_ = blocks;
    x_ = x;
    y_ = y;
    callerBlock_.store(0, std::memory_order_relaxed);
    helperDone_.store(0, std::memory_order_relaxed);
    open_.store(true);
    jobSeq_.fetch_add(1);
    jobSeq_.notify_one();

    double sx = ex;
    double sy = ey;
    const bool callerComputes = !helperTakesAll_.load(std::memory_order_relaxed);
    for (std::size_t b = 0; b < blocks; ++b) {
        callerBlock_.store(b, std::memory_order_relaxed);
        const std::size_t begin = b * BlockCells;
        const std::size_t end = std::min(n, begin + BlockCells);
        std::uint8_t expected = Free;
        if (callerComputes &&
            state_[b].compare_exchange_strong(expected, TakenByCaller, std::memory_order_acq_rel)) {
            kernel::AccumulateTerms(cells, begin, end, x, y, sx, sy);
        } else {
            SpinUntil([&] { return state_[b].load(std::memory_order_acquire) == Done; });
            kernel::AddTerms(terms_.get(), begin, end, sx, sy);
        }
    }

    // Every block is taken, so the helper is leaving; wait until it has left
    // before the cells or the buffers may change.
    open_.store(false);
    SpinUntil([&] { return helping_.load() == 0; });
    helperBlocks_ = helperDone_.load(std::memory_order_relaxed);
    ex = sx;
    ey = sy;
    return true;
}

void ParallelTermSum::Run() {
    std::uint32_t seen = jobSeq_.load();
    for (;;) {
        const auto until = std::chrono::steady_clock::now() + StayAwake;
        std::uint32_t now = jobSeq_.load(std::memory_order_acquire);
        while (now == seen && std::chrono::steady_clock::now() < until) {
            for (int k = 0; k < 16; ++k) Pause();
            now = jobSeq_.load(std::memory_order_acquire);
        }
        if (now == seen) {
            jobSeq_.wait(seen);
            continue;
        }
        seen = now;
        if (stop_.load()) return;
        helping_.fetch_add(1);
        if (open_.load()) Help();
        helping_.fetch_sub(1);
    }
}

void ParallelTermSum::Help() {
    const std::size_t lead = helperTakesAll_.load(std::memory_order_relaxed) ? 0 : Lead;
    std::size_t done = 0;
    std::size_t b = 0;
    for (;;) {
        const std::size_t caller = callerBlock_.load(std::memory_order_relaxed);
        b = std::max(b, caller + lead);
        if (b >= blocks_) break;
        std::uint8_t expected = Free;
        if (state_[b].compare_exchange_strong(expected, TakenByHelper, std::memory_order_acq_rel)) {
            const std::size_t begin = b * BlockCells;
            kernel::ComputeTerms(cells_, begin, std::min(n_, begin + BlockCells), x_, y_, terms_.get());
            state_[b].store(Done, std::memory_order_release);
            ++done;
        }
        ++b;
    }
    helperDone_.store(done, std::memory_order_relaxed);
}

}  // namespace tovik
