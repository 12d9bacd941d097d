#include "field/ParallelTermSum.h"

#include <algorithm>
#include <chrono>
#include <system_error>

#ifdef __linux__
#include <pthread.h>
#include <sched.h>
#endif

namespace tovik {

namespace {

using Clock = std::chrono::steady_clock;

enum : std::uint8_t { Free, TakenByCaller, TakenByHelper, Done };

inline void Pause() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#else
    std::this_thread::yield();
#endif
}

// How long the helper stays awake after a sum, waiting for the next one: the
// tracer evaluates again right after a short yield to the event loop.
constexpr auto StayAwake = std::chrono::microseconds(100);

// The processor the calling thread runs on, or -1 when unknown.
int CurrentCpu() {
#ifdef __linux__
    return sched_getcpu();
#else
    return -1;
#endif
}

}  // namespace

struct ParallelTermSum::Job {
    kernel::CellArrays cells;
    std::shared_ptr<const void> owner;
    std::size_t n = 0;
    std::size_t blocks = 0;
    double x = 0;
    double y = 0;
    std::size_t lead = Lead;
    std::shared_ptr<double[]> terms;
    std::unique_ptr<std::atomic<std::uint8_t>[]> state;  // one per block, Free at first
    // Written by the caller.
    alignas(64) std::atomic<std::size_t> callerBlock{0};
    std::atomic<int> callerCpu{-1};
    std::atomic<bool> open{true};
    // Written by the helper.
    alignas(64) std::atomic<std::size_t> helperBlocks{0};
};

// The helper's processors: those it may use, less the caller's. A new thread
// starts on its creator's processor and stays there for a while, where it
// would only take turns with the caller; moving it costs one system call.
//
// The helper also runs at idle priority: it uses only processor time that
// nothing else wants, so on a busy machine it never slows the caller (who then
// computes the blocks alone) nor other programs.
class ParallelTermSum::Placement {
public:
    Placement() {
#ifdef __linux__
        CPU_ZERO(&allowed_);
        known_ = pthread_getaffinity_np(pthread_self(), sizeof allowed_, &allowed_) == 0;
#endif
        SetIdle(true);
    }
    // Idle priority, or the ordinary one for a caller that waits for the
    // helper (the tests' SetHelperTakesAll): at idle priority on a busy
    // machine the helper would hardly ever run.
    void SetIdle(bool idle) {
#ifdef __linux__
        if (idle == idle_) return;
        sched_param none{};
        if (pthread_setschedparam(pthread_self(), idle ? SCHED_IDLE : SCHED_OTHER, &none) == 0) idle_ = idle;
#else
        (void)idle;
#endif
    }
    // Leaves processor cpu, if another is allowed.
    void LeaveCpu(int cpu) {
#ifdef __linux__
        if (!known_ || cpu < 0 || cpu >= CPU_SETSIZE) return;
        cpu_set_t others = allowed_;
        CPU_CLR(cpu, &others);
        if (CPU_COUNT(&others) > 0) pthread_setaffinity_np(pthread_self(), sizeof others, &others);
#else
        (void)cpu;
#endif
    }

private:
#ifdef __linux__
    cpu_set_t allowed_;
    bool known_ = false;
    bool idle_ = false;
#endif
};

ParallelTermSum& ParallelTermSum::Shared() {
    static ParallelTermSum instance;
    return instance;
}

ParallelTermSum::~ParallelTermSum() {
    if (!started_) return;
    stop_.store(true);
    jobSeq_.fetch_add(1);
    WakeHelper();
    thread_.join();
}

bool ParallelTermSum::EnsureThread() {
    if (started_) return true;
    if (startFailed_) return false;
    // With one processor the helper could only take turns with the caller.
    if (std::thread::hardware_concurrency() < 2) {
        startFailed_ = true;
        return false;
    }
    try {
        // The jobs the helper has seen are counted from now: a helper slow to
        // start must still take the job that follows.
        const std::uint32_t seen = jobSeq_.load();
        thread_ = std::thread([this, seen] { Run(seen); });
        started_ = true;
    } catch (const std::system_error&) {
        startFailed_ = true;
    }
    return started_;
}

std::size_t ParallelTermSum::HelperBlocksOfLastSum() {
    std::lock_guard<std::mutex> lock(publish_);
    return job_ ? job_->helperBlocks.load() : 0;
}

bool ParallelTermSum::Sum(const kernel::CellArrays& cells, std::size_t n, std::shared_ptr<const void> owner,
                          double x, double y, double& ex, double& ey) {
    std::unique_lock<std::mutex> lock(use_, std::try_to_lock);
    if (!lock.owns_lock()) return false;
    const bool starting = !started_;
    if (!EnsureThread()) return false;

    // The other way is tried for two sums in a row: a helper that has slept
    // through the sums before is slow to start, so a two-thread sum counts
    // only when it follows another.
    bool shared = sharedNs_ <= aloneNs_;  // an unmeasured way comes first
    if (++sums_ % ExploreEvery < 2) shared = !shared;
    if (helperTakesAll_.load(std::memory_order_relaxed)) shared = true;
    const auto start = Clock::now();
    if (shared)
        SumShared(cells, n, std::move(owner), x, y, ex, ey);
    else
        kernel::AccumulateTerms(cells, 0, n, x, y, ex, ey);
    const double ns = std::chrono::duration<double, std::nano>(Clock::now() - start).count() / static_cast<double>(n);
    if (!starting && (!shared || lastShared_)) {
        double& average = shared ? sharedNs_ : aloneNs_;
        average = average == 0 ? ns : 0.75 * average + 0.25 * ns;
    }
    lastShared_ = shared;
    return true;
}

void ParallelTermSum::SumShared(const kernel::CellArrays& cells, std::size_t n, std::shared_ptr<const void> owner,
                                double x, double y, double& ex, double& ey) {
    // A helper still busy with an earlier job writes only into blocks of
    // that job's terms, and the buffer passes to a new job only through it,
    // so reusing the buffer is safe: this job reads a block only once the
    // helper has marked it done for this job.
    if (termsSize_ < 2 * n) {
        terms_ = std::shared_ptr<double[]>(new double[2 * n]);
        termsSize_ = 2 * n;
    }
    const bool helperTakesAll = helperTakesAll_.load(std::memory_order_relaxed);
    auto job = std::make_shared<Job>();
    job->cells = cells;
    job->owner = std::move(owner);
    job->n = n;
    job->blocks = (n + BlockCells - 1) / BlockCells;
    job->x = x;
    job->y = y;
    job->lead = helperTakesAll ? 0 : Lead;
    job->terms = terms_;
    job->callerCpu.store(CurrentCpu(), std::memory_order_relaxed);
    job->state = std::make_unique<std::atomic<std::uint8_t>[]>(job->blocks);
    for (std::size_t b = 0; b < job->blocks; ++b) job->state[b].store(Free, std::memory_order_relaxed);
    {
        std::lock_guard<std::mutex> publish(publish_);
        job_ = job;
    }
    jobSeq_.fetch_add(1, std::memory_order_release);
    WakeHelper();

    // A block the helper has finished is added from its stored terms; any
    // other block is computed here, even one the helper is still working on:
    // waiting for it would seldom be shorter than computing it, and never
    // when the system has put the helper aside. So the sum never takes much
    // longer than on one thread.
    double sx = ex;
    double sy = ey;
    for (std::size_t b = 0; b < job->blocks; ++b) {
        if (b % 16 == 15) job->callerCpu.store(CurrentCpu(), std::memory_order_relaxed);
        job->callerBlock.store(b, std::memory_order_relaxed);
        const std::size_t begin = b * BlockCells;
        const std::size_t end = std::min(n, begin + BlockCells);
        std::atomic<std::uint8_t>& state = job->state[b];
        if (helperTakesAll) {
            while (state.load(std::memory_order_acquire) != Done) Pause();
        } else {
            std::uint8_t seen = Free;
            if (state.compare_exchange_strong(seen, TakenByCaller, std::memory_order_acq_rel) || seen != Done) {
                kernel::AccumulateTerms(cells, begin, end, x, y, sx, sy);
                continue;
            }
        }
        kernel::AddTerms(job->terms.get(), begin, end, sx, sy);
    }
    job->open.store(false, std::memory_order_relaxed);
    ex = sx;
    ey = sy;
}

void ParallelTermSum::WakeHelper() {
    // Taking the lock orders the new job before the helper's check of it, so
    // the notification cannot fall between its check and its sleep.
    { const std::lock_guard<std::mutex> lock(sleep_); }
    wake_.notify_one();
}

void ParallelTermSum::Run(std::uint32_t seen) {
    Placement placement;
    int callerCpu = -1;
    for (;;) {
        // Stays awake for the next sum, but never on the caller's processor,
        // where spinning would only take time from the caller.
        const auto until = callerCpu >= 0 && CurrentCpu() == callerCpu ? Clock::now() : Clock::now() + StayAwake;
        std::uint32_t now = jobSeq_.load(std::memory_order_acquire);
        while (now == seen && Clock::now() < until) {
            for (int k = 0; k < 16; ++k) Pause();
            now = jobSeq_.load(std::memory_order_acquire);
        }
        if (now == seen) {
            // Sleeps until the next job or the stop. The time-out only guards
            // against a lost wake-up; a sleeping helper costs nothing.
            std::unique_lock<std::mutex> lock(sleep_);
            wake_.wait_for(lock, std::chrono::milliseconds(100),
                           [&] { return jobSeq_.load(std::memory_order_acquire) != seen; });
            continue;
        }
        seen = now;
        if (stop_.load()) return;
        std::shared_ptr<Job> job;
        {
            std::lock_guard<std::mutex> lock(publish_);
            job = job_;
        }
        if (!job) continue;
        callerCpu = job->callerCpu.load(std::memory_order_relaxed);
        placement.SetIdle(job->lead != 0);  // a lead of 0: the caller waits for every block
        Help(*job, placement);
    }
}

void ParallelTermSum::Help(Job& job, Placement& placement) {
    std::size_t b = 0;
    while (job.open.load(std::memory_order_relaxed)) {
        const int cpu = CurrentCpu();
        if (cpu >= 0 && cpu == job.callerCpu.load(std::memory_order_relaxed)) placement.LeaveCpu(cpu);
        b = std::max(b, job.callerBlock.load(std::memory_order_relaxed) + job.lead);
        if (b >= job.blocks) break;
        std::uint8_t expected = Free;
        if (job.state[b].compare_exchange_strong(expected, TakenByHelper, std::memory_order_acq_rel)) {
            const std::size_t begin = b * BlockCells;
            kernel::ComputeTerms(job.cells, begin, std::min(job.n, begin + BlockCells), job.x, job.y,
                                 job.terms.get());
            job.state[b].store(Done, std::memory_order_release);
            job.helperBlocks.fetch_add(1, std::memory_order_relaxed);
        }
        ++b;
    }
}

}  // namespace tovik
