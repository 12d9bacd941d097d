#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "field/ParallelTermSum.h"
#include "field/Tension.h"
#include "field/TensionKernel.h"
#include "model/RunTimeError.h"
#include "model/ChargeModel.h"

namespace tovik {
namespace {

constexpr float Inf = std::numeric_limits<float>::infinity();
constexpr float NaN = std::numeric_limits<float>::quiet_NaN();

// What one evaluation gave: a vector or the kind of its error.
struct Outcome {
    std::optional<FieldVector> value;
    std::optional<RunTimeErrorKind> error;
};

Outcome Evaluate(const std::function<FieldVector()>& f) {
    Outcome o;
    try {
        o.value = f();
    } catch (const RunTimeError& e) {
        o.error = e.kind();
    }
    return o;
}

std::string Describe(const Outcome& o) {
    if (o.error) return RunTimeErrorKindName(*o.error);
    char buf[96];
    std::snprintf(buf, sizeof buf, "(%a, %a)", o.value->X, o.value->Y);
    return buf;
}

// The vector of an outcome that must have one.
std::pair<double, double> Vec(const Outcome& o) {
    EXPECT_TRUE(o.value) << Describe(o);
    return o.value ? std::pair(o.value->X, o.value->Y) : std::pair<double, double>(NaN, NaN);
}
const std::pair<double, double> Zero{0.0, 0.0};

bool SameBits(const Outcome& a, const Outcome& b) {
    return a.error || b.error ? a.error == b.error : std::memcmp(&*a.value, &*b.value, sizeof(FieldVector)) == 0;
}

class Tension : public ::testing::Test {
protected:
    std::shared_ptr<ChargeModel> s = std::make_shared<ChargeModel>();
    std::int32_t side_ = 0;

    void Area(int left, int top, int right, int bottom, int side) {
        s->AreaLeft = static_cast<std::int16_t>(left);
        s->AreaTop = static_cast<std::int16_t>(top);
        s->AreaRight = static_cast<std::int16_t>(right);
        s->AreaBottom = static_cast<std::int16_t>(bottom);
        side_ = side;
    }
    void SetCell(int i, int j, float q) {
        s->Cell(i, j) = q;
    }
    Outcome Reference(float x, float y) { return Evaluate([&] { return GetTensionReference(*s, side_, x, y); }); }

    // The reference and every way the evaluator can take (each version of
    // the arithmetic this processor has, on one thread and on two) must agree
    // to the bit; returns the common outcome.
    Outcome Checked(TensionEvaluator& ev, float x, float y) {
        const Outcome ref = Reference(x, y);
        for (int v = 0; v <= static_cast<int>(kernel::BestVersion()); ++v) {
            kernel::LimitVersion(static_cast<kernel::Version>(v));
            for (const bool parallel : {false, true}) {
                ev.SetParallel(parallel);
                const Outcome fast = Evaluate([&] { return ev.GetTension(x, y); });
                EXPECT_TRUE(SameBits(ref, fast))
                    << "point (" << x << ", " << y << ") " << kernel::VersionName(kernel::VersionInUse())
                    << (parallel ? " on two threads" : "") << ": reference " << Describe(ref) << ", fast "
                    << Describe(fast);
            }
        }
        kernel::LimitVersion(kernel::BestVersion());
        ev.SetParallel(true);
        return ref;
    }
    TensionEvaluator Field() const { return TensionEvaluator(ChargedCells::Build(s, side_)); }
    Outcome Checked(float x, float y) {
        TensionEvaluator ev = Field();
        return Checked(ev, x, y);
    }
};

TEST_F(Tension, OneCellGivesTheInverseSquareLaw) {
    const struct { int side; float q; float d; } cases[] = {
        {1, 5, 1}, {1, -3, 2.5f}, {2, 7, 10}, {3, 1, 0.5f}, {8, -250, 33}, {32, 1e6f, 100},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "side " << c.side << " q " << c.q << " d " << c.d);
        s = std::make_shared<ChargeModel>();
        Area(100, 100, 100 + c.side, 100 + c.side, c.side);
        SetCell(0, 0, c.q);
        const float cx = 100 + c.side / 2.0f;  // the centre of cell (0, 0)
        const double expected = static_cast<double>(c.q) / (static_cast<double>(c.d) * c.d);

        const auto [rightX, rightY] = Vec(Checked(cx + c.d, cx));
        EXPECT_DOUBLE_EQ(rightX, expected);
        EXPECT_EQ(rightY, 0.0);
        const auto [aboveX, aboveY] = Vec(Checked(cx, cx - c.d));
        EXPECT_EQ(aboveX, 0.0);
        EXPECT_DOUBLE_EQ(aboveY, -expected);
    }
}

TEST_F(Tension, SymmetricCellsCancelAndTheCentreCellGivesNothing) {
    Area(0, 0, 4, 4, 1);  // cells 0..4 in both directions, centres at k + 0.5
    const struct { int i1, j1, i2, j2; } pairs[] = {{0, 2, 4, 2}, {2, 0, 2, 4}, {0, 0, 4, 4}, {1, 3, 3, 1}};
    for (const auto& p : pairs) {
        SCOPED_TRACE(testing::Message() << "cells (" << p.i1 << "," << p.j1 << ") (" << p.i2 << "," << p.j2 << ")");
        s->ChargeDensity.assign(s->ChargeDensity.size(), 0.0f);
        SetCell(p.i1, p.j1, 9.5f);
        SetCell(p.i2, p.j2, 9.5f);
        EXPECT_EQ(Vec(Checked(2.5f, 2.5f)), Zero);
        // A charged cell under the point adds nothing, and raises nothing.
        SetCell(2, 2, -40.0f);
        EXPECT_EQ(Vec(Checked(2.5f, 2.5f)), Zero);
        SetCell(2, 2, 0.0f);
    }
}

TEST_F(Tension, ColouredPixelsSilenceTheFieldOnlyInsideTheArea) {
    Area(20, 30, 36, 46, 8);  // cells 0..2 both ways
    SetCell(0, 0, 4.0f);
    SetCell(2, 1, -6.0f);
    const struct {
        const char* what;
        float x, y;
        int px, py;  // the pixel that is coloured, or -1
        bool silent;
    } cases[] = {
        {"inside on a coloured pixel", 25.7f, 33.2f, 25, 33, true},
        {"inside next to a coloured pixel", 26.0f, 33.2f, 25, 33, false},
        {"on the right bound", 36.0f, 40.0f, 36, 40, true},
        {"on the bottom bound", 22.5f, 46.0f, 22, 46, true},
        {"on the bottom-right corner", 36.0f, 46.0f, 36, 46, true},
        {"just beyond the right bound", 36.001f, 40.0f, 36, 40, false},
        {"left of the area on a coloured pixel", 19.5f, 40.0f, 19, 40, false},
        {"negative, outside", -3.0f, -7.5f, -1, -1, false},
        {"beyond the grid", 5000.0f, 4000.0f, -1, -1, false},
        {"far away", -1e30f, 2e30f, -1, -1, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::fill(s->PixelColor.begin(), s->PixelColor.end(), 0);
        if (c.px >= 0) s->Pixel(c.px, c.py) = 0x00FFFFFF;
        EXPECT_EQ(Vec(Checked(c.x, c.y)) == Zero, c.silent);
    }
}

TEST_F(Tension, TheWalkCoversTheCellsUpToTheBoundsInclusive) {
    // Bounds 10..26 with side 8: cells 0..2 across, the last one holding
    // only the column x = 26. Cell 3 lies beyond the walk.
    const struct { int left, top, right, bottom, side, i, j; bool counted; } cases[] = {
        {0, 0, 0, 0, 1, 0, 0, true},   {0, 0, 0, 0, 1, 1, 0, false}, {0, 0, 0, 0, 5, 0, 1, false},
        {10, 40, 26, 48, 8, 2, 1, true}, {10, 40, 26, 48, 8, 3, 1, false}, {10, 40, 26, 48, 8, 2, 2, false},
        {3, 3, 9, 9, 3, 2, 2, true},   {3, 3, 9, 9, 6, 1, 1, true},   {3, 3, 9, 9, 6, 2, 0, false},
        {50, 50, 40, 60, 1, 0, 0, false},  // right of left: no cell in any row
        {50, 50, 60, 40, 1, 0, 0, false},  // bottom above top: no row
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "area " << c.left << "," << c.top << "," << c.right << ","
                                        << c.bottom << " side " << c.side << " cell " << c.i << "," << c.j);
        s = std::make_shared<ChargeModel>();
        Area(c.left, c.top, c.right, c.bottom, c.side);
        EXPECT_EQ(Vec(Checked(-50.0f, -60.0f)), Zero);
        SetCell(c.i, c.j, 12.0f);
        EXPECT_EQ(Vec(Checked(-50.0f, -60.0f)) != Zero, c.counted);
        EXPECT_EQ(Field().Cells().Size(), c.counted ? 1u : 0u);
    }
}

TEST_F(Tension, ErrorsHaveTheirKinds) {
    using K = RunTimeErrorKind;
    // q: the value of cell (0, 0); coloured: pixel (floor x, floor y) is coloured.
    const struct {
        const char* what;
        int left, top, right, bottom, side;
        float q, x, y;
        bool coloured;
        std::optional<K> kind;
    } cases[] = {
        {"cell side 0", 0, 0, 8, 8, 0, 1, -5, -5, false, K::DivisionByZero},
        {"negative cell side", 0, 0, 8, 8, -4, 1, -5, -5, false, K::DivisionByZero},
        {"cell side 0 under a coloured pixel", 0, 0, 8, 8, 0, 1, 2, 2, true, std::nullopt},
        {"row span beyond 16 bits", 0, -10, 8, 32767, 1, 1, -5, -5, false, K::Overflow},
        {"column span beyond 16 bits", -10, 0, 32767, 8, 1, 1, -5, -5, false, K::Overflow},
        {"column span unused without rows", -10, 9, 32767, 8, 1, 1, -5, -5, false, std::nullopt},
        {"columns beyond the grid", 0, 0, GridColumns, 4, 1, 1, -5, -5, false, K::SubscriptOutOfRange},
        {"rows beyond the grid", 0, 0, 4, GridRows, 1, 1, -5, -5, false, K::SubscriptOutOfRange},
        {"pixel beyond the grid", 800, 0, 900, 8, 32, 1, 850, 2, false, K::SubscriptOutOfRange},
        {"infinite cell", 0, 0, 8, 8, 4, Inf, -5, -5, false, K::Overflow},
        {"NaN cell", 0, 0, 8, 8, 4, NaN, -5, -5, false, K::InvalidOperation},
        {"infinite point", 0, 0, 8, 8, 4, 1, Inf, -5, false, K::Overflow},
        {"NaN point outside", 0, 0, 8, 8, 4, 1, NaN, -5, false, K::InvalidOperation},
        {"NaN point counts as inside", 0, 0, 8, 8, 4, 1, NaN, NaN, false, K::InvalidOperation},
        {"infinite cell under a coloured pixel", 0, 0, 8, 8, 4, Inf, 3, 3, true, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        s = std::make_shared<ChargeModel>();
        Area(c.left, c.top, c.right, c.bottom, c.side);
        SetCell(0, 0, c.q);
        SetCell(1, 1, 2.0f);  // a finite cell ahead of nothing, behind cell (0, 0)
        if (c.coloured) s->Pixel(static_cast<int>(c.x), static_cast<int>(c.y)) = 0x0000FF00;
        const Outcome o = Checked(c.x, c.y);
        EXPECT_EQ(o.error, c.kind) << Describe(o);
    }
}

// Random grids, areas, cell sides and points: the evaluator must give the
// reference's bits every time.
TEST_F(Tension, MatchesTheReferenceToTheBitOnRandomStates) {
    std::mt19937 rng(20240611);
    const double densities[] = {0.002, 0.05, 0.5, 1.0};
    for (int round = 0; round < 2 * MaxCellSide; ++round) {
        s = std::make_shared<ChargeModel>();
        const int side = 1 + round % MaxCellSide;  // every side twice
        const double density = densities[(round / 3) % std::size(densities)];
        const int left = std::uniform_int_distribution<int>(0, 300)(rng);
        const int top = std::uniform_int_distribution<int>(0, 200)(rng);
        const int right = std::uniform_int_distribution<int>(left, 780)(rng);
        const int bottom = std::uniform_int_distribution<int>(top, 468)(rng);
        Area(left, top, right, bottom, side);
        std::uniform_real_distribution<float> value(-1000.0f, 1000.0f);
        std::bernoulli_distribution charged(density);
        for (int j = 0; j <= (bottom - top) / side; ++j)
            for (int i = 0; i <= (right - left) / side; ++i)
                if (charged(rng)) s->Cell(i, j) = value(rng);
        std::bernoulli_distribution coloured(0.3);
        for (int y = top; y <= bottom; ++y)
            for (int x = left; x <= right; ++x) s->Pixel(x, y) = coloured(rng) ? 0x00FF0000 : 0;
        SCOPED_TRACE(testing::Message() << "area " << left << "," << top << "," << right << "," << bottom
                                        << " side " << side << " density " << density);

        std::uniform_real_distribution<float> fx(left - 50.0f, right + 50.0f);
        std::uniform_real_distribution<float> fy(top - 50.0f, bottom + 50.0f);
        const float l = left, t = top, r = right, b = bottom, half = side / 2.0f;
        // The area's corners, the centres of cells (0, 0) and (1, 0), points on and off the bounds.
        std::vector<std::pair<float, float>> points = {{l, t}, {r, b}, {l + half, t + half}, {l + 3 * half, t + half},
                                                       {-37.25f, -0.5f}, {1e6f, -3e5f}, {r + 0.25f, t - 0.75f},
                                                       {r, (t + b) / 2}, {(l + r) / 2, b}};
        for (int k = 0; k < 8; ++k) points.emplace_back(fx(rng), fy(rng));
        TensionEvaluator ev = Field();
        for (const auto& [x, y] : points) Checked(ev, x, y);
    }
}

// The whole drawing area at side 1 is long enough for the helper thread.
TEST_F(Tension, LongSumsMatchTheReferenceWhoeverComputesTheTerms) {
    Area(0, 0, DrawingWidth - 1, DrawingHeight - 1, 1);
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> value(-500.0f, 500.0f);
    for (int j = 0; j < DrawingHeight; ++j)
        for (int i = 0; i < DrawingWidth; ++i) s->Cell(i, j) = (i + j) % 5 ? value(rng) : 0.0f;
    TensionEvaluator ev = Field();
    ASSERT_GE(ev.Cells().Size(), ParallelTermSum::MinCells);
    const std::pair<float, float> points[] = {{-20.0f, 13.0f}, {390.5f, 234.5f}, {800.3f, 480.9f}};
    for (bool helperTakesAll : {false, true}) {
        ParallelTermSum::Shared().SetHelperTakesAll(helperTakesAll);
        for (const auto& [x, y] : points) Checked(ev, x, y);
    }
    ParallelTermSum::Shared().SetHelperTakesAll(false);
}

}  // namespace
}  // namespace tovik
