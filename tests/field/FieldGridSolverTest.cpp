#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>

#include "field/CellCharges.h"
#include "field/FieldGridSolver.h"

namespace tovik {
namespace {

// A picture's cells: `fill` of them charged at random, of both signs, over
// the area from (left, top) to the picture's edge and up to one cell beyond.
CellCharges RandomCharges(int side, int left, int top, double fill, unsigned seed) {
    CellCharges c;
    c.CellSide = side;
    c.AreaLeft = left;
    c.AreaTop = top;
    c.Columns = (DrawingWidth - 1 - left) / side + 1;
    c.Rows = (DrawingHeight - 1 - top) / side + 1;
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> value(-1000.0f * side * side, 1000.0f * side * side);
    std::uniform_real_distribution<double> chance(0, 1);
    for (int k = 0; k < c.Columns * c.Rows; ++k) c.Values.push_back(chance(rng) < fill ? value(rng) : 0.0f);
    return c;
}

double LargestMagnitude(const std::vector<double>& a, const std::vector<double>& b = {}) {
    double m = 0;
    for (std::size_t k = 0; k < a.size(); ++k) m = std::max(m, std::hypot(a[k], b.empty() ? 0.0 : b[k]));
    return m;
}

struct Picture {
    int side, left, top;
    double fill;
};

// The convolution against the direct sum at 2,000 random pixels, at every
// cell side: the pixels lie at every offset from the cell lattice, on cell
// centres too, and the area runs past the picture's right and bottom edges;
// odd sides as well as those the slider offers.
TEST(FieldGridSolver, MatchesTheDirectSumAtEveryCellSide) {
    std::vector<Picture> pictures;
    for (const int side : {2, 3, 4, 7, 8, 16, 32}) pictures.push_back({side, 3 + 7 * side % 41, 5 + 3 * side % 29, 0.7});
    pictures.push_back({1, 380, 250, 0.5});
    pictures.push_back({1, 300, 200, 0.002});  // a few point charges
    pictures.push_back({8, 0, 0, 1.0});
    FieldGridSolver solver;
    std::mt19937 rng(17);
    for (const Picture& p : pictures) {
        SCOPED_TRACE("side " + std::to_string(p.side) + ", left " + std::to_string(p.left));
        const CellCharges c = RandomCharges(p.side, p.left, p.top, p.fill, static_cast<unsigned>(p.side));
        const FieldGrid g = solver.Solve(c);
        ASSERT_EQ(g.Clamped, 0);
        const double phiMax = LargestMagnitude(g.Potential), eMax = LargestMagnitude(g.Ex, g.Ey);
        ASSERT_GT(phiMax, 0);
        double phiErr = 0, eErr = 0;
        std::uniform_int_distribution<int> px(0, DrawingWidth - 1), py(0, DrawingHeight - 1);
        for (int k = 0; k < 2000; ++k) {
            const int x = px(rng), y = py(rng);
            const FieldVector e = FieldAt(c, x, y);
            phiErr = std::max(phiErr, std::abs(g.Potential[g.At(x, y)] - PotentialAt(c, x, y)));
            eErr = std::max(eErr, std::hypot(g.Ex[g.At(x, y)] - e.X, g.Ey[g.At(x, y)] - e.Y));
        }
        EXPECT_LE(phiErr, 1e-9 * phiMax);
        EXPECT_LE(eErr, 1e-9 * eMax);
    }
}

// A picture without charge is flat; a non-finite cell value poisons the sums
// and every value that comes out is clamped and counted; a bad description
// is refused.
TEST(FieldGridSolver, EmptyNonFiniteAndInvalidCharges) {
    FieldGridSolver solver;
    CellCharges empty;
    empty.Values = {0.0f};
    const FieldGrid flat = solver.Solve(empty);
    EXPECT_EQ(LargestMagnitude(flat.Potential) + LargestMagnitude(flat.Ex, flat.Ey), 0.0);

    CellCharges bad = RandomCharges(4, 100, 100, 0.1, 3);
    bad.Values[5] = std::numeric_limits<float>::infinity();
    const FieldGrid clamped = solver.Solve(bad);
    EXPECT_GT(clamped.Clamped, 0);
    for (const auto* v : {&clamped.Potential, &clamped.Ex, &clamped.Ey})
        EXPECT_TRUE(std::all_of(v->begin(), v->end(), [](double e) { return std::isfinite(e); }));

    for (const int side : {0, 33}) {
        CellCharges c = empty;
        c.CellSide = side;
        EXPECT_THROW(solver.Solve(c), std::invalid_argument);
    }
    CellCharges missing = empty;
    missing.Columns = 2;
    EXPECT_THROW(solver.Solve(missing), std::invalid_argument);
}

}  // namespace
}  // namespace tovik
