#include "field/FieldGridSolver.h"

#include <fftw3.h>

#include <atomic>
#include <cmath>
#include <complex>
#include <cstring>
#include <limits>
#include <mutex>
#include <new>
#include <stdexcept>
#include <thread>

namespace tovik {

namespace {

int FloorDiv(int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

// The smallest size at or above n with no prime factor above 7, which FFTW
// transforms fastest.
int GoodSize(int n) {
    for (int m = n;; ++m) {
        int r = m;
        for (const int p : {2, 3, 5, 7})
            while (r % p == 0) r /= p;
        if (r == 1) return m;
    }
}

// FFTW's planner keeps global tables; this makes it safe for solvers on
// several threads. It takes effect once per process.
void MakePlannerThreadSafe() {
    static std::once_flag once;
    std::call_once(once, [] { fftw_make_planner_thread_safe(); });
}

// Memory from FFTW's allocator, aligned as its plans expect.
template <typename T>
struct FftwBuffer {
    T* data = nullptr;
    explicit FftwBuffer(std::size_t n) : data(static_cast<T*>(fftw_malloc(n * sizeof(T)))) {
        if (!data) throw std::bad_alloc();
    }
    ~FftwBuffer() { fftw_free(data); }
    FftwBuffer(const FftwBuffer&) = delete;
    FftwBuffer& operator=(const FftwBuffer&) = delete;
    FftwBuffer(FftwBuffer&& o) noexcept : data(o.data) { o.data = nullptr; }
};

// Runs job(k, worker) for k = 0..jobs-1 on `threads` workers.
template <typename Job>
void RunJobs(int jobs, int threads, Job job) {
    std::atomic<int> next{0};
    const auto work = [&](int worker) {
        for (int k; (k = next.fetch_add(1)) < jobs;) job(k, worker);
    };
    std::vector<std::thread> helpers;
    for (int w = 1; w < threads && w < jobs; ++w) helpers.emplace_back(work, w);
    work(0);
    for (auto& t : helpers) t.join();
}

enum Component { PotentialPart, ExPart, EyPart, Components };

}  // namespace

// One axis of the lattice. A pixel coordinate is area + m * side + a with
// 0 <= a < side; m runs over [lo, lo + count) for the pixels of the picture,
// the cells over [0, cells). The kernel's lattice offset u = m - i runs over
// [ulo, ulo + count + cells - 1), held at index u - ulo of a transform of
// `size` >= count + cells - 1, so the circular convolution never wraps onto
// the outputs that are read.
struct FieldGridSolver::Layout {
    struct Axis {
        int area = 0, lo = 0, count = 0, cells = 0, size = 0, ulo = 0;
    };
    int side = 1;
    Axis x, y;

    static Axis MakeAxis(int area, int cells, int side, int extent) {
        Axis a;
        a.area = area;
        a.lo = FloorDiv(-area, side);
        a.count = FloorDiv(extent - 1 - area, side) - a.lo + 1;
        a.cells = cells;
        a.size = GoodSize(a.count + cells - 1);
        a.ulo = a.lo - (cells - 1);
        return a;
    }
    // The kernels depend only on these.
    bool SameKernels(const Layout& o) const {
        return side == o.side && x.size == o.x.size && y.size == o.y.size && x.ulo == o.x.ulo && y.ulo == o.y.ulo;
    }
    std::size_t RealSize() const { return static_cast<std::size_t>(y.size) * x.size; }
    std::size_t SpectrumSize() const { return static_cast<std::size_t>(y.size) * (x.size / 2 + 1); }
};

// Plans and buffers of one layout. A 2-D transform is done as two passes of
// 1-D transforms: along x over the rows, then along y over the columns of
// the half spectrum. The inverse pass along x runs only over the rows that
// hold pixels of the picture, about half of them.
//
// With cells of one pixel there is one offset and so only three inverse
// transforms: each pass is then split into ranges of columns or rows, one
// per thread. With larger cells the offsets' transforms run whole, one per
// thread at a time.
class FieldGridSolver::Plans {
public:
    Plans(const Layout& layout, int threads, unsigned rigour)
        : layout_(layout), threads_(threads), parts_(layout.side == 1 ? threads : 1), rigour_(rigour) {
        MakePlannerThreadSafe();
        try {
            for (int w = 0; w < threads; ++w) {
                real_.emplace_back(layout.RealSize());
                spectrum_.emplace_back(layout.SpectrumSize());
            }
            charges_ = std::make_unique<FftwBuffer<fftw_complex>>(layout.SpectrumSize());
            MakePlans();
            const int phases = layout.side * layout.side;
            kernels_.reserve(static_cast<std::size_t>(phases) * Components);
            for (int k = 0; k < phases * Components; ++k) kernels_.emplace_back(layout.SpectrumSize());
        } catch (...) {
            Release();
            throw;
        }
        RunJobs(layout.side * layout.side * Components, threads, [&](int k, int w) { TransformKernel(k, w); });
    }
    ~Plans() { Release(); }

    // Whether these plans and kernels serve the layout unchanged.
    bool Serve(const Layout& l, int threads, unsigned rigour) const {
        return threads == threads_ && rigour == rigour_ && l.SameKernels(layout_) && l.x.count == layout_.x.count &&
               l.x.cells == layout_.x.cells && l.y.count == layout_.y.count && l.y.cells == layout_.y.cells;
    }
    // The lattice may sit elsewhere on the picture with the same sizes.
    void Reposition(const Layout& layout) { layout_ = layout; }

    void Solve(const CellCharges& c, FieldGrid& out) {
        const Layout& L = layout_;
        double* r = real_[0].data;
        std::memset(r, 0, L.RealSize() * sizeof(double));
        for (int j = 0; j < c.Rows; ++j)
            for (int i = 0; i < c.Columns; ++i)
                r[static_cast<std::size_t>(j) * L.x.size + i] = c.Values[static_cast<std::size_t>(j) * c.Columns + i];
        fftw_execute_dft_r2c(rowsForward_, r, charges_->data);
        RunJobs(parts_, parts_, [&](int k, int) { Columns(colsForward_[k], charges_->data, k); });

        std::vector<double>* parts[Components] = {&out.Potential, &out.Ex, &out.Ey};
        if (parts_ > 1) {
            for (int comp = 0; comp < Components; ++comp) {
                fftw_complex* s = spectrum_[0].data;
                RunJobs(parts_, parts_, [&](int k, int) {
                    Multiply(kernels_[comp].data, s, ColumnBegin(k), ColumnBegin(k + 1));
                    Columns(colsBackward_[k], s, k);
                });
                RunJobs(parts_, parts_, [&](int k, int) {
                    fftw_execute_dft_c2r(rowsBackward_[k], Row(s, RowBegin(k)), Row(real_[0].data, RowBegin(k)));
                    Scatter(real_[0].data, 0, 0, *parts[comp], out.Width, out.Height, RowBegin(k), RowBegin(k + 1));
                });
            }
            return;
        }
        const int phases = L.side * L.side;
        // Component by component, the offsets of one row of pixels one after
        // another: they fill the same lines of the output while these are in
        // the cache.
        RunJobs(phases * Components, threads_, [&](int job, int w) {
            const int phase = job % phases, comp = job / phases;
            const int k = phase * Components + comp;
            fftw_complex* s = spectrum_[static_cast<std::size_t>(w)].data;
            double* conv = real_[static_cast<std::size_t>(w)].data;
            Multiply(kernels_[static_cast<std::size_t>(k)].data, s, 0, L.x.size / 2 + 1);
            Columns(colsBackward_[0], s, 0);
            fftw_execute_dft_c2r(rowsBackward_[0], Row(s, RowBegin(0)), Row(conv, RowBegin(0)));
            Scatter(conv, phase % L.side, phase / L.side, *parts[comp], out.Width, out.Height, RowBegin(0),
                    RowBegin(1));
        });
    }

private:
    int Half() const { return layout_.x.size / 2 + 1; }
    // Part k of the columns of the half spectrum, and of the rows that hold
    // pixels (from cells - 1 on, count of them).
    int ColumnBegin(int k) const { return static_cast<int>(static_cast<long>(Half()) * k / parts_); }
    int RowBegin(int k) const {
        return layout_.y.cells - 1 + static_cast<int>(static_cast<long>(layout_.y.count) * k / parts_);
    }
    fftw_complex* Row(fftw_complex* s, int row) const { return s + static_cast<std::size_t>(row) * Half(); }
    double* Row(double* r, int row) const { return r + static_cast<std::size_t>(row) * layout_.x.size; }
    void Columns(fftw_plan plan, fftw_complex* s, int k) const {
        fftw_execute_dft(plan, s + ColumnBegin(k), s + ColumnBegin(k));
    }

    void MakePlans() {
        const Layout& L = layout_;
        int nx = L.x.size, ny = L.y.size;
        const int half = Half();
        double* r = real_[0].data;
        fftw_complex* s = spectrum_[0].data;
        rowsForward_ = fftw_plan_many_dft_r2c(1, &nx, ny, r, nullptr, 1, nx, s, nullptr, 1, half, rigour_);
        if (!rowsForward_) throw std::bad_alloc();
        for (int k = 0; k < parts_; ++k) {
            const int c0 = ColumnBegin(k), cols = ColumnBegin(k + 1) - c0;
            const int r0 = RowBegin(k), rows = RowBegin(k + 1) - r0;
            colsForward_.push_back(fftw_plan_many_dft(1, &ny, cols, s + c0, nullptr, half, 1, s + c0, nullptr, half, 1,
                                                      FFTW_FORWARD, rigour_));
            colsBackward_.push_back(fftw_plan_many_dft(1, &ny, cols, s + c0, nullptr, half, 1, s + c0, nullptr, half,
                                                       1, FFTW_BACKWARD, rigour_));
            rowsBackward_.push_back(fftw_plan_many_dft_c2r(1, &nx, rows, Row(s, r0), nullptr, 1, half, Row(r, r0),
                                                           nullptr, 1, nx, rigour_));
            if (!colsForward_.back() || !colsBackward_.back() || !rowsBackward_.back()) throw std::bad_alloc();
        }
    }

    // s = charges times kernel over columns [c0, c1) of every row.
    void Multiply(const fftw_complex* kern, fftw_complex* s, int c0, int c1) const {
        const fftw_complex* q = charges_->data;
        const int half = Half();
        for (int row = 0; row < layout_.y.size; ++row) {
            const std::size_t base = static_cast<std::size_t>(row) * half;
            for (std::size_t t = base + c0; t < base + c1; ++t) {
                s[t][0] = q[t][0] * kern[t][0] - q[t][1] * kern[t][1];
                s[t][1] = q[t][0] * kern[t][1] + q[t][1] * kern[t][0];
            }
        }
    }

    // Kernel k (offset k / 3, component k % 3): the value at the lattice
    // offset (u, v) for the pixel offset (a, b), scaled by 1 / size so that
    // the inverse transform returns the convolution itself.
    void TransformKernel(int k, int worker) {
        const Layout& L = layout_;
        const int phase = k / Components, component = k % Components;
        const double a = phase % L.side - L.side / 2.0, b = phase / L.side - L.side / 2.0;
        const double scale = 1.0 / (static_cast<double>(L.x.size) * L.y.size);
        double* r = real_[static_cast<std::size_t>(worker)].data;
        for (int ty = 0; ty < L.y.size; ++ty) {
            const double dy = static_cast<double>(ty + L.y.ulo) * L.side + b;
            for (int tx = 0; tx < L.x.size; ++tx) {
                const double dx = static_cast<double>(tx + L.x.ulo) * L.side + a;
                double v = 0;
                if (dx != 0 || dy != 0) {
                    const double d = std::sqrt(dx * dx + dy * dy);
                    v = component == PotentialPart ? 1.0 / d : (component == ExPart ? dx : dy) / (d * d * d);
                }
                r[static_cast<std::size_t>(ty) * L.x.size + tx] = v * scale;
            }
        }
        fftw_complex* s = kernels_[static_cast<std::size_t>(k)].data;
        fftw_execute_dft_r2c(rowsForward_, r, s);
        for (int p = 0; p < parts_; ++p) Columns(colsForward_[p], s, p);
    }

    // Copies rows [t0, t1) of the convolution of offset (a, b) to their
    // pixels: lattice point (m, n) is at index (m - lo + cells - 1,
    // n - lo + cells - 1) of the transform.
    void Scatter(const double* conv, int a, int b, std::vector<double>& part, int width, int height, int t0,
                 int t1) const {
        const Layout& L = layout_;
        for (int t = t0; t < t1; ++t) {
            const int n = t - (L.y.cells - 1);
            const int y = L.y.area + (n + L.y.lo) * L.side + b;
            if (y < 0 || y >= height) continue;
            const double* row = conv + static_cast<std::size_t>(t) * L.x.size + (L.x.cells - 1);
            double* dest = part.data() + static_cast<std::size_t>(y) * width;
            for (int m = 0; m < L.x.count; ++m) {
                const int x = L.x.area + (m + L.x.lo) * L.side + a;
                if (x >= 0 && x < width) dest[x] = row[m];
            }
        }
    }

    void Release() {
        for (auto* plans : {&colsForward_, &colsBackward_, &rowsBackward_}) {
            for (fftw_plan p : *plans)
                if (p) fftw_destroy_plan(p);
            plans->clear();
        }
        if (rowsForward_) fftw_destroy_plan(rowsForward_);
        rowsForward_ = nullptr;
    }

    Layout layout_;
    int threads_;
    int parts_;
    unsigned rigour_;  // FFTW_ESTIMATE or FFTW_MEASURE
    fftw_plan rowsForward_ = nullptr;
    std::vector<fftw_plan> colsForward_, colsBackward_, rowsBackward_;  // one per part
    std::vector<FftwBuffer<double>> real_;            // one per thread
    std::vector<FftwBuffer<fftw_complex>> spectrum_;  // one per thread
    std::unique_ptr<FftwBuffer<fftw_complex>> charges_;
    std::vector<FftwBuffer<fftw_complex>> kernels_;  // offset-major, three components each
};

FieldGridSolver::FieldGridSolver() = default;
FieldGridSolver::~FieldGridSolver() = default;

namespace {

// Infinite and NaN values become finite ones and are counted.
long ClampNonFinite(std::vector<double>& v) {
    long n = 0;
    for (double& e : v) {
        if (std::isfinite(e)) continue;
        ++n;
        e = std::isnan(e) ? 0.0 : std::copysign(std::numeric_limits<double>::max(), e);
    }
    return n;
}

}  // namespace

FieldGrid FieldGridSolver::Solve(const CellCharges& c) {
    FieldGrid g;
    Solve(c, g);
    return g;
}

void FieldGridSolver::Solve(const CellCharges& c, FieldGrid& g) {
    if (!c.Valid()) throw std::invalid_argument("cell charges out of range");
    Layout layout;
    layout.side = c.CellSide;
    layout.x = Layout::MakeAxis(c.AreaLeft, c.Columns, c.CellSide, c.Width);
    layout.y = Layout::MakeAxis(c.AreaTop, c.Rows, c.CellSide, c.Height);
    const unsigned rigour = measuredPlans_ ? FFTW_MEASURE : FFTW_ESTIMATE;
    if (!plans_ || !plans_->Serve(layout, threads_, rigour)) {
        plans_.reset();
        plans_ = std::make_unique<Plans>(layout, threads_, rigour);
    }
    plans_->Reposition(layout);

    // Every pixel of the picture is written by exactly one offset's copy.
    g.Width = c.Width;
    g.Height = c.Height;
    const std::size_t pixels = static_cast<std::size_t>(c.Width) * c.Height;
    g.Potential.resize(pixels);
    g.Ex.resize(pixels);
    g.Ey.resize(pixels);
    plans_->Solve(c, g);
    g.Clamped = ClampNonFinite(g.Potential) + ClampNonFinite(g.Ex) + ClampNonFinite(g.Ey);
}

}  // namespace tovik
