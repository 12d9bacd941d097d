#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

#include "model/Preparation.h"

namespace tovik {
namespace {

constexpr std::uint32_t kBlue = 0x0000FF;  // RGB32 word: blue in the low byte
constexpr std::uint32_t kRed = 0xFF0000;

// Left, top, right, bottom.
std::array<int, 4> Area(const SimState& state) {
    const ChargeModel& s = state.Charges();
    return {s.AreaLeft, s.AreaTop, s.AreaRight, s.AreaBottom};
}

// A drawing area of w x h pixels held as RGB32 words, prepared with cells of
// side `cell`, recording what Preparation reports about it.
struct Prepared : PreparationProgress {
    explicit Prepared(int cell, int w = 781, int h = 469)
        : cell(cell), width(w), height(h), pixels(static_cast<std::size_t>(w) * h, 0xFF000000u) {
        s.MaxCharge = 1000;
    }
    void SetPixel(int x, int y, std::uint32_t rgb) { pixels[static_cast<std::size_t>(y) * width + x] = 0xFF000000u | rgb; }
    PreparationResult Run() {
        const PreparationInput in{{pixels.data(), width, width, height}, float(width), float(height), cell};
        return PrepareChargeModel(s, in, *this);
    }
    void ColumnSampled(int x) override { columns.push_back(x); }
    void MarkerShown() override { ++markerShown; }
    void MarkerMoved(float l, float t, float w, float h) override { marker.push_back({l, t, w, h}); }

    SimState s;
    std::int32_t cell;
    int width, height;
    std::vector<std::uint32_t> pixels;
    std::vector<int> columns;
    int markerShown = 0;
    std::vector<std::array<float, 4>> marker;
};

TEST(Preparation, BlueBlockAtCellSideOne) {
    Prepared p(1);
    for (int x = 100; x <= 102; ++x)
        for (int y = 50; y <= 52; ++y) p.SetPixel(x, y, kBlue);
    const PreparationResult r = p.Run();
    EXPECT_EQ(p.s.CalcSpeed, 1);
    EXPECT_EQ(Area(p.s), (std::array{100, 50, 103, 53}));
    for (int j = 0; j <= 3; ++j)
        for (int i = 0; i <= 3; ++i) EXPECT_EQ(p.s.Charges().Cell(i, j), (i < 3 && j < 3) ? 1000.0f : 0.0f) << i << "," << j;
    EXPECT_EQ(r.mean, 562.5);
    EXPECT_EQ(r.meanFloor, 562);
    EXPECT_EQ(p.s.Charges().PicWidth, 781);
    EXPECT_EQ(p.s.Charges().PicHeight, 469);
    // Progress every fifth column.
    ASSERT_EQ(p.columns.size(), 157u);
    for (int k = 0; k < 157; ++k) ASSERT_EQ(p.columns[k], 5 * k);
    // The marker closes in on the aligned area in 20 steps.
    EXPECT_EQ(p.markerShown, 1);
    ASSERT_EQ(p.marker.size(), 20u);
    const std::array<float, 4> last = p.marker.back(), aligned{100, 50, 3, 3};
    for (int k = 0; k < 4; ++k) EXPECT_NEAR(last[k], aligned[k], 0.01) << k;
}

TEST(Preparation, AreasAlignToWholeCells) {
    const struct Case {
        const char* name;
        int calcSpeed;
        std::vector<std::pair<int, int>> pixels;
        std::uint32_t colour;
        std::array<int, 4> area;
        float cell00;
        double meanFloor;
    } cases[] = {
        {"single red pixel", 8, {{20, 30}}, kRed, {20, 30, 28, 38}, -1000, -250},
        {"span 10..25 at row 40", 8, {{10, 40}, {25, 40}, {17, 40}}, kBlue, {10, 40, 26, 48}, 2000, 500},
        {"largest cells at the right edge", 32, {{780, 10}, {5, 10}}, kBlue, {5, 10, 805, 42}, 1000, 38},
        {"largest cells, bottom right corner", 32, {{780, 468}}, kBlue, {780, 468, 812, 500}, 1000, 250},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Prepared p(c.calcSpeed);
        for (auto [x, y] : c.pixels) p.SetPixel(x, y, c.colour);
        PreparationResult r;
        ASSERT_NO_THROW(r = p.Run());
        EXPECT_EQ(Area(p.s), c.area);
        EXPECT_EQ(p.s.Charges().Cell(0, 0), c.cell00);
        EXPECT_EQ(r.meanFloor, c.meanFloor);
    }
}

// The grids hold every aligned area: the aligned right bound lies at most one
// cell beyond the last charged pixel, and Preparation reads the pixel column
// and row on the bound itself.
TEST(Preparation, GridsHoldTheWorstAlignedArea) {
    for (int side : {1, 2, 4, 8, 16, 32}) {
        for (int left = 0; left < DrawingWidth; left += 7)
            EXPECT_LT(((DrawingWidth - 1 - left) / side + 1) * side + left, GridColumns) << side << " " << left;
        for (int top = 0; top < DrawingHeight; top += 5)
            EXPECT_LT(((DrawingHeight - 1 - top) / side + 1) * side + top, GridRows) << side << " " << top;
    }
    // Before the first Preparation everything reads as zero.
    const SimState fresh;
    const ChargeModel& s = fresh.Charges();
    for (std::size_t k = 0; k < s.PixelColor.size(); ++k)
        ASSERT_TRUE(s.PixelColor[k] == 0 && s.ChargeDensity[k] == 0.0f) << k;
    EXPECT_EQ(s.AreaLeft | s.AreaTop | s.AreaRight | s.AreaBottom | s.PicWidth | s.PicHeight, 0);
    EXPECT_THROW(s.Pixel(GridColumns, 0), RunTimeError);
    EXPECT_THROW(s.Cell(0, GridRows), RunTimeError);
    EXPECT_THROW(s.Cell(-1, 0), RunTimeError);
}

TEST(Preparation, ChargeIsProportionalToBlueMinusRedAndOtherColoursAreUncharged) {
    Prepared p(1);
    int x = 10;
    for (std::uint32_t uncharged : {0xFF00FFu, 0xFFFFFFu, 0x00FF00u, 0xC8C8C8u}) p.SetPixel(x++, 10, uncharged);
    p.SetPixel(200, 100, 0x000080);  // blue 128
    p.SetPixel(201, 100, 0x400080);  // blue 128, red 64
    p.Run();
    EXPECT_EQ(Area(p.s), (std::array{200, 100, 202, 101}));
    EXPECT_EQ(p.s.Charges().Cell(0, 0), static_cast<float>(1000.0 * 128 / 255));
    EXPECT_EQ(p.s.Charges().Cell(1, 0), static_cast<float>(1000.0 * 64 / 255));
}

// A later picture, with less charge or none, keeps nothing of an earlier one.
TEST(Preparation, NoChargeOfAnEarlierPictureRemains) {
    Prepared p(1);
    for (int x = 0; x < 300; ++x) p.SetPixel(x, 0, kBlue);
    p.Run();
    std::fill(p.pixels.begin(), p.pixels.end(), 0xFF000000u);
    p.SetPixel(0, 0, kRed);
    p.Run();
    EXPECT_EQ(p.s.Charges().Cell(0, 0), -1000.0f);
    for (int i = 1; i < 300; ++i) ASSERT_EQ(p.s.Charges().Cell(i, 0), 0.0f) << i;
    p.SetPixel(0, 0, 0);
    for (int run = 0; run < 2; ++run) {
        EXPECT_EQ(p.Run().meanFloor, 0) << run;
        EXPECT_EQ(Area(p.s), (std::array{0, 0, 0, 0})) << run;
        for (float v : p.s.Charges().ChargeDensity) ASSERT_EQ(v, 0.0f);
    }
}

TEST(Preparation, OverflowingCellIsARunTimeError) {
    Prepared p(2);
    p.s.MaxCharge = 3e38f;  // two such pixels in one cell pass the single range
    for (int x = 0; x < 2; ++x) p.SetPixel(x, 0, kBlue);
    const ChargeModelPtr before = p.s.Model;
    EXPECT_THROW(p.Run(), RunTimeError);
    // What the run computed before the error is published, as with any command.
    EXPECT_NE(p.s.Model, before);
    EXPECT_EQ(p.s.Charges().AreaRight, 2);
}

}  // namespace
}  // namespace tovik
