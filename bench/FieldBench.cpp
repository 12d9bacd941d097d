// The field at a point: the evaluator (on two threads and on one) against the
// plain checked walk over every cell, on four charge pictures. Run through
// scripts/bench.sh, which adds the numpy baseline and prints the table.
//
//   tovik_field_bench [--export_cases=DIR] [--field_kernel=plain|plain_nofma|avx2] [Google Benchmark flags]
//
// --export_cases writes each case's charged cells, its points and the
// evaluator's results there, for bench/field_numpy.py. --field_kernel holds
// the evaluator to a slower version of the arithmetic than the processor's
// best (plain: the portable one, with fused multiply-adds where the processor
// has them; plain_nofma: without them). Each evaluator figure carries
// per_cell, the time per charged cell, and exact_cubes, the share of the
// cubes that the cheap two-product path left to the exact integer cube.
// With repetitions, a minimum joins the aggregates: on a loaded machine it is
// the steadier figure.
//
// floor/<case> (on x86 processors with AVX2) is the baseline of the
// evaluator's per_cell: the least any exact sum can cost. It forms every
// term with one square root, a cube by two plain products and one division,
// four cells at a time, and adds the terms in cell order, as the exact sum
// must; it skips what exactness needs besides (the rounded-once cube and its
// checks), so its result is not the field.

#include <benchmark/benchmark.h>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "field/ChargedCells.h"
#include "field/ParallelTermSum.h"
#include "field/Tension.h"
#include "field/TensionKernel.h"
#include "model/ChargeModel.h"

namespace tovik {
namespace {

using Picture = std::vector<std::int32_t>;  // DrawingWidth x DrawingHeight, 0x00BBGGRR

std::int32_t Colour(int blue, int red) { return (blue << 16) | red; }

// Builds the grid and the bounds as Preparation does: the bounds enclose the
// charged pixels, widened to whole cells from the first charged column and
// row, and every cell holds the sum of its pixels' charge densities.
void Prepare(ChargeModel& s, const Picture& picture, int side, float maxCharge) {
    int firstX = DrawingWidth, lastX = -1, firstY = DrawingHeight, lastY = -1;
    for (int y = 0; y < DrawingHeight; ++y) {
        for (int x = 0; x < DrawingWidth; ++x) {
            const std::int32_t c = picture[static_cast<std::size_t>(y) * DrawingWidth + x];
            s.Pixel(x, y) = c;
            if (ChargeOf(c) == 0) continue;
            firstX = std::min(firstX, x);
            lastX = std::max(lastX, x);
            firstY = std::min(firstY, y);
            lastY = std::max(lastY, y);
        }
    }
    s.CellSide = side;
    s.AreaLeft = static_cast<std::int16_t>(firstX);
    s.AreaTop = static_cast<std::int16_t>(firstY);
    s.AreaRight = static_cast<std::int16_t>(((lastX - firstX) / side + 1) * side + firstX);
    s.AreaBottom = static_cast<std::int16_t>(((lastY - firstY) / side + 1) * side + firstY);
    for (int y = s.AreaTop; y <= s.AreaBottom; ++y) {
        for (int x = s.AreaLeft; x <= s.AreaRight; ++x) {
            const std::int32_t charge = ChargeOf(s.Pixel(x, y));
            if (charge == 0) continue;
            s.Cell((x - s.AreaLeft) / side, (y - s.AreaTop) / side) += maxCharge * charge / 255.0f;
        }
    }
}

Picture RandomColours(double share, unsigned seed) {
    std::mt19937 rng(seed);
    std::bernoulli_distribution charged(share);
    std::uniform_int_distribution<int> channel(0, 255);
    Picture p(static_cast<std::size_t>(DrawingWidth) * DrawingHeight, 0);
    for (auto& c : p) {
        if (!charged(rng)) continue;
        const int red = channel(rng);
        int blue = channel(rng);
        if (blue == red) blue = (red + 1) % 256;
        c = Colour(blue, red);
    }
    return p;
}

Picture Dipole() {
    Picture p(static_cast<std::size_t>(DrawingWidth) * DrawingHeight, 0);
    for (int y = 0; y < DrawingHeight; ++y) {
        for (int x = 0; x < DrawingWidth; ++x) {
            auto inDisc = [&](int cx, int cy) { return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= 20 * 20; };
            std::int32_t& c = p[static_cast<std::size_t>(y) * DrawingWidth + x];
            if (inDisc(240, 234)) c = Colour(255, 0);
            if (inDisc(540, 234)) c = Colour(0, 255);
        }
    }
    return p;
}

struct Case {
    std::string name;
    std::shared_ptr<ChargeModel> state = std::make_shared<ChargeModel>();
    int side = 1;
    std::vector<std::pair<float, float>> points;
    std::size_t charged = 0;
    std::size_t visited = 0;
};

// Points around and over the picture where the field is summed: off the
// area, or on an uncoloured pixel of it.
void ChoosePoints(Case& c, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> fx(-20.0f, 800.0f), fy(-20.0f, 488.0f);
    const ChargeModel& s = *c.state;
    while (c.points.size() < 64) {
        const float x = fx(rng), y = fy(rng);
        const bool outside = x < s.AreaLeft || y < s.AreaTop || x > s.AreaRight || y > s.AreaBottom;
        if (outside || s.Pixel(static_cast<int>(x), static_cast<int>(y)) == 0) c.points.emplace_back(x, y);
    }
}

std::vector<Case>& Cases() {
    static std::vector<Case> cases = [] {
        std::vector<Case> v;
        auto add = [&v](std::string name, const Picture& picture, int side) {
            Case c;
            c.name = std::move(name);
            c.side = side;
            Prepare(*c.state, picture, side, 1000.0f);
            const auto cells = ChargedCells::Build(c.state, side);
            c.charged = cells->Size();
            c.visited = cells->VisitedCells();
            ChoosePoints(c, 11);
            v.push_back(std::move(c));
        };
        add("a_full_c1", RandomColours(1.0, 1), 1);
        const Picture dipole = Dipole();
        add("b_dipole_c1", dipole, 1);
        add("b_dipole_c8", dipole, 8);
        add("c_sparse1pct_c1", RandomColours(0.01, 2), 1);
        return v;
    }();
    return cases;
}

enum class Way { Fast, FastOneThread, Reference };

// The share of the distances from the case's points to its charged cells
// whose cube the version in use leaves to the exact integer cube.
double ExactCubeShare(const Case& c) {
    const auto built = ChargedCells::Build(c.state, c.side);
    const ChargedCells& cells = *built;
    std::vector<double> d(cells.Size()), cubes(cells.Size());
    std::size_t exact = 0;
    for (const auto& [x, y] : c.points) {
        for (std::size_t k = 0; k < cells.Size(); ++k) {
            const double rx = static_cast<double>(x) - cells.CentreX()[k];
            const double ry = static_cast<double>(y) - cells.CentreY()[k];
            d[k] = std::sqrt(rx * rx + ry * ry);
        }
        exact += kernel::Cubes(d.data(), cubes.data(), d.size());
    }
    return static_cast<double>(exact) / static_cast<double>(d.size() * c.points.size());
}

void Evaluate(benchmark::State& st, const Case* c, Way way) {
    TensionEvaluator ev(ChargedCells::Build(c->state, c->side));
    ev.SetParallel(way == Way::Fast);
    ev.GetTension(-1.0f, -1.0f);  // builds the list outside the timing
    std::size_t k = 0;
    for (auto _ : st) {
        const auto& [x, y] = c->points[k++ % c->points.size()];
        const FieldVector e = way == Way::Reference ? GetTensionReference(*c->state, c->side, x, y) : ev.GetTension(x, y);
        benchmark::DoNotOptimize(e);
    }
    if (way == Way::Fast && c->charged >= ParallelTermSum::MinCells) {
        // Over a few more evaluations outside the timing: the share of the
        // sums that took two threads, and in those the share of the blocks
        // whose terms the helper computed.
        ParallelTermSum& two = ParallelTermSum::Shared();
        double sharedSums = 0, helperBlocks = 0;
        for (int round = 0; round < 4; ++round) {
            for (const auto& [x, y] : c->points) {
                benchmark::DoNotOptimize(ev.GetTension(x, y));
                if (!two.LastSumShared()) continue;
                sharedSums += 1;
                helperBlocks += static_cast<double>(two.HelperBlocksOfLastSum());
            }
        }
        const double blocks = std::ceil(static_cast<double>(c->charged) / ParallelTermSum::BlockCells);
        st.counters["shared"] = sharedSums / (4.0 * static_cast<double>(c->points.size()));
        st.counters["helper"] = sharedSums > 0 ? helperBlocks / (blocks * sharedSums) : 0.0;
    }
    if (way != Way::Reference) {
        st.counters["per_cell"] = benchmark::Counter(
            static_cast<double>(c->charged), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
        st.counters["exact_cubes"] = ExactCubeShare(*c);
    }
    st.counters["cells"] = static_cast<double>(c->charged);
    st.counters["visited"] = static_cast<double>(c->visited);
}

#if defined(__x86_64__)
__attribute__((target("avx2"))) __m128d FloorSum(const ChargedCells& cells, double x, double y) {
    const __m256d px = _mm256_set1_pd(x), py = _mm256_set1_pd(y);
    __m128d e = _mm_setzero_pd();
    for (std::size_t k = 0; k + 4 <= cells.Size(); k += 4) {
        const __m256d rx = _mm256_sub_pd(px, _mm256_loadu_pd(cells.CentreX() + k));
        const __m256d ry = _mm256_sub_pd(py, _mm256_loadu_pd(cells.CentreY() + k));
        const __m256d d = _mm256_sqrt_pd(_mm256_add_pd(_mm256_mul_pd(rx, rx), _mm256_mul_pd(ry, ry)));
        const __m256d w = _mm256_div_pd(_mm256_cvtps_pd(_mm_loadu_ps(cells.Value() + k)),
                                        _mm256_mul_pd(_mm256_mul_pd(d, d), d));
        const __m256d tx = _mm256_mul_pd(rx, w), ty = _mm256_mul_pd(ry, w);
        const __m256d even = _mm256_unpacklo_pd(tx, ty), odd = _mm256_unpackhi_pd(tx, ty);
        e = _mm_add_pd(e, _mm256_castpd256_pd128(even));
        e = _mm_add_pd(e, _mm256_castpd256_pd128(odd));
        e = _mm_add_pd(e, _mm256_extractf128_pd(even, 1));
        e = _mm_add_pd(e, _mm256_extractf128_pd(odd, 1));
    }
    return e;
}

void Floor(benchmark::State& st, const Case* c) {
    const auto cells = ChargedCells::Build(c->state, c->side);
    std::size_t k = 0;
    for (auto _ : st) {
        const auto& [x, y] = c->points[k++ % c->points.size()];
        benchmark::DoNotOptimize(FloorSum(*cells, x, y));
    }
    st.counters["per_cell"] = benchmark::Counter(static_cast<double>(c->charged),
                                                 benchmark::Counter::kIsIterationInvariantRate |
                                                     benchmark::Counter::kInvert);
}
#endif

void RegisterAll() {
    const auto least = [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); };
    for (const Case& c : Cases()) {
        const std::pair<const char*, Way> ways[] = {
            {"fast/", Way::Fast}, {"fast_1thread/", Way::FastOneThread}, {"reference/", Way::Reference}};
        for (const auto& [prefix, way] : ways)
            benchmark::RegisterBenchmark((prefix + c.name).c_str(), Evaluate, &c, way)
                ->UseRealTime()
                ->ComputeStatistics("min", least);
#if defined(__x86_64__)
        if (__builtin_cpu_supports("avx2"))
            benchmark::RegisterBenchmark(("floor/" + c.name).c_str(), Floor, &c)->UseRealTime()->ComputeStatistics(
                "min", least);
#endif
    }
}

template <typename T>
void WriteRaw(const std::string& path, const T* data, std::size_t n) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(n * sizeof(T)));
}

// Each case as raw little-endian arrays: centres (f64), values (f32), points
// (f32 pairs) and the evaluator's results (f64 pairs); cases.txt lists them.
bool ExportCases(const std::string& dir) {
    std::ofstream index(dir + "/cases.txt");
    if (!index) return false;
    for (const Case& c : Cases()) {
        const auto built = ChargedCells::Build(c.state, c.side);
        const ChargedCells& cells = *built;
        const std::string base = dir + "/" + c.name;
        WriteRaw(base + ".cx.f64", cells.CentreX(), cells.Size());
        WriteRaw(base + ".cy.f64", cells.CentreY(), cells.Size());
        WriteRaw(base + ".q.f32", cells.Value(), cells.Size());
        std::vector<float> pts;
        std::vector<double> results;
        TensionEvaluator ev(ChargedCells::Build(c.state, c.side));
        ev.SetParallel(true);
        for (const auto& [x, y] : c.points) {
            pts.push_back(x);
            pts.push_back(y);
            const FieldVector e = ev.GetTension(x, y);
            results.push_back(e.X);
            results.push_back(e.Y);
        }
        WriteRaw(base + ".points.f32", pts.data(), pts.size());
        WriteRaw(base + ".expect.f64", results.data(), results.size());
        index << c.name << ' ' << c.charged << ' ' << c.visited << ' ' << c.points.size() << '\n';
    }
    return static_cast<bool>(index);
}

}  // namespace
}  // namespace tovik

int main(int argc, char** argv) {
    std::vector<char*> args;
    std::string exportDir;
    for (int k = 0; k < argc; ++k) {
        const std::string_view a = argv[k];
        if (a.rfind("--export_cases=", 0) == 0)
            exportDir = std::string(a.substr(15));
        else if (a == "--field_kernel=plain")
            tovik::kernel::LimitVersion(tovik::kernel::Version::PlainFma);
        else if (a == "--field_kernel=plain_nofma")
            tovik::kernel::LimitVersion(tovik::kernel::Version::Plain);
        else if (a == "--field_kernel=avx2")
            tovik::kernel::LimitVersion(tovik::kernel::Version::Avx2);
        else
            args.push_back(argv[k]);
    }
    int n = static_cast<int>(args.size());
    benchmark::Initialize(&n, args.data());
    if (benchmark::ReportUnrecognizedArguments(n, args.data())) return 1;
    if (!exportDir.empty() && !tovik::ExportCases(exportDir)) {
        std::fprintf(stderr, "cannot write the cases to %s\n", exportDir.c_str());
        return 1;
    }
    benchmark::AddCustomContext("field_kernel", tovik::kernel::VersionName(tovik::kernel::VersionInUse()));
    tovik::RegisterAll();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
