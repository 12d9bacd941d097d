#include <gtest/gtest.h>

#include <cmath>

#include "model/FakeHosts.h"
#include "model/Preparation.h"

namespace tovik {
namespace {

constexpr std::uint32_t kBlue = 0x0000FF;  // RGB32 word: blue in the low byte
constexpr std::uint32_t kRed = 0xFF0000;

int PositionFor(int calcSpeed) { return 5 - static_cast<int>(std::log2(calcSpeed)); }

struct Prepared {
    explicit Prepared(int calcSpeed, int w = 781, int h = 469) : host(w, h) {
        host.sliderPosition = PositionFor(calcSpeed);
        s.MaxCharge = 1000;
    }
    void Run() { Preparation(s, host, settings, clock, loop).Run(); }

    SimState s;
    test::FakePreparationHost host;
    test::FakeSettings settings;
    test::FakeClock clock;
    test::FakeLoop loop;
};

TEST(Preparation, SliderPositionsGiveCellSides) {
    const int sides[] = {32, 16, 8, 4, 2, 1};
    for (int p = 0; p <= 5; ++p) EXPECT_EQ(Preparation::CalcSpeedForPosition(p), sides[p]);
}

TEST(Preparation, BlueBlockAtCellSideOne) {
    Prepared p(1);
    for (int x = 100; x <= 102; ++x)
        for (int y = 50; y <= 52; ++y) p.host.SetPixel(x, y, kBlue);
    p.Run();
    EXPECT_EQ(p.s.AreaLeft, 100);
    EXPECT_EQ(p.s.AreaRight, 103);
    EXPECT_EQ(p.s.AreaTop, 50);
    EXPECT_EQ(p.s.AreaBottom, 53);
    for (int j = 0; j <= 3; ++j)
        for (int i = 0; i <= 3; ++i) EXPECT_EQ(p.s.Cell(i, j), (i < 3 && j < 3) ? 1000.0f : 0.0f) << i << "," << j;
    EXPECT_EQ(p.host.labelShownWith, "562");
    EXPECT_EQ(p.s.PicWidth, 781);
    EXPECT_EQ(p.s.PicHeight, 469);
    ASSERT_EQ(p.settings.writes.size(), 1u);
    EXPECT_EQ(p.settings.writes[0], std::make_pair(std::string("CalcSpeed"), std::string("1")));
    // The label is centred on the area.
    EXPECT_EQ(p.host.labelLeft, (203.0f - 40) / 2);
    EXPECT_EQ(p.host.labelTop, (103.0f - 20) / 2);
}

TEST(Preparation, AreasAlignToWholeCells) {
    const struct Case {
        const char* name;
        int calcSpeed;
        std::vector<std::pair<int, int>> pixels;
        std::uint32_t colour;
        int left, top, right, bottom;
    } cases[] = {
        {"single red pixel", 8, {{20, 30}}, kRed, 20, 30, 28, 38},
        {"span 10..25 at row 40", 8, {{10, 40}, {25, 40}, {17, 40}}, kBlue, 10, 40, 26, 48},
        {"largest cells at the right edge", 32, {{780, 10}, {5, 10}}, kBlue, 5, 10, 805, 42},
        {"largest cells, bottom right corner", 32, {{780, 468}}, kBlue, 780, 468, 812, 500},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Prepared p(c.calcSpeed);
        for (auto [x, y] : c.pixels) p.host.SetPixel(x, y, c.colour);
        ASSERT_NO_THROW(p.Run());
        EXPECT_EQ(p.s.AreaLeft, c.left);
        EXPECT_EQ(p.s.AreaTop, c.top);
        EXPECT_EQ(p.s.AreaRight, c.right);
        EXPECT_EQ(p.s.AreaBottom, c.bottom);
        EXPECT_EQ(p.host.caption, "Переподготовка");
    }
}

TEST(Preparation, SingleRedPixelCells) {
    Prepared p(8);
    p.host.SetPixel(20, 30, kRed);
    p.Run();
    EXPECT_EQ(p.s.Cell(0, 0), -1000.0f);
    EXPECT_EQ(p.s.Cell(1, 0), 0.0f);
    EXPECT_EQ(p.s.Cell(0, 1), 0.0f);
    EXPECT_EQ(p.s.Cell(1, 1), 0.0f);
    EXPECT_EQ(p.host.labelShownWith, "-250");
}

TEST(Preparation, UnchargedColoursDoNotWidenTheArea) {
    Prepared p(1);
    p.host.SetPixel(10, 10, 0xFF00FF);  // magenta
    p.host.SetPixel(11, 10, 0xFFFFFF);  // white
    p.host.SetPixel(12, 10, 0x00FF00);  // green
    p.host.SetPixel(200, 100, kBlue);
    p.Run();
    EXPECT_EQ(p.s.AreaLeft, 200);
    EXPECT_EQ(p.s.AreaTop, 100);
}

TEST(Preparation, ChargeIsProportionalToBlueMinusRed) {
    Prepared p(1);
    p.host.SetPixel(5, 5, 0x000080);  // blue 128
    p.Run();
    EXPECT_EQ(p.s.Cell(0, 0), static_cast<float>(1000.0 * 128 / 255));
}

TEST(Preparation, PictureWithoutChargeGivesAnEmptyModelEveryTime) {
    Prepared p(8);
    p.host.SetPixel(100, 100, kBlue);
    p.Run();
    ASSERT_NE(p.s.Cell(0, 0), 0.0f);
    p.host.SetPixel(100, 100, 0);
    for (int run = 0; run < 3; ++run) {
        p.Run();
        EXPECT_EQ(p.s.AreaLeft | p.s.AreaTop | p.s.AreaRight | p.s.AreaBottom, 0) << run;
        for (float v : p.s.ChargeDensity) ASSERT_EQ(v, 0.0f);
        EXPECT_EQ(p.host.labelShownWith, "0");
    }
}

TEST(Preparation, NoChargeOfAnEarlierPictureRemains) {
    Prepared p(1);
    for (int x = 0; x < 300; ++x) p.host.SetPixel(x, 0, kBlue);
    p.Run();
    std::fill(p.host.pixels.begin(), p.host.pixels.end(), 0xFF000000u);
    p.host.SetPixel(0, 0, kRed);
    p.Run();
    EXPECT_EQ(p.s.Cell(0, 0), -1000.0f);
    for (int i = 1; i < 300; ++i) ASSERT_EQ(p.s.Cell(i, 0), 0.0f) << i;
}

TEST(Preparation, ProgressMovesEveryFifthColumn) {
    Prepared p(8, 200, 50);
    p.Run();
    ASSERT_EQ(p.host.progressValues.size(), 41u);
    for (int k = 0; k < 40; ++k) EXPECT_EQ(p.host.progressValues[k], 5.0f * k);
    EXPECT_EQ(p.host.progressValues.back(), 199.0f);
    EXPECT_EQ(p.host.progressMax, 199.0f);
    EXPECT_FALSE(p.host.progressVisible);
}

TEST(Preparation, MarkerClosesInOnTheArea) {
    Prepared p(1);
    for (int x = 100; x <= 102; ++x) p.host.SetPixel(x, 50, kBlue);
    p.Run();
    ASSERT_EQ(p.host.markerMoves.size(), 20u);
    const auto last = p.host.markerMoves.back();
    // Twenty single-precision increments land on the area up to rounding.
    EXPECT_NEAR(last[0], 100, 1e-3);
    EXPECT_NEAR(last[1], 50, 1e-3);
    EXPECT_NEAR(last[2], 3, 1e-3);
    EXPECT_NEAR(last[3], 1, 1e-3);
    EXPECT_FALSE(p.host.markerVisible);
    EXPECT_FALSE(p.host.labelVisible);
}

TEST(Preparation, StoresTheCellSizeBeforeTheYieldAndYieldsOnce) {
    Prepared p(4);
    std::size_t writesAtYield = 0;
    p.loop.onYield = [&] { writesAtYield = p.settings.writes.size(); };
    p.Run();
    EXPECT_EQ(p.loop.yields, 1);
    EXPECT_EQ(writesAtYield, 1u);
    EXPECT_EQ(p.s.CalcSpeed, 4);
    EXPECT_EQ(p.host.events, (std::vector<std::string>{"disable", "enable"}));
}

TEST(Preparation, WindowGoneDuringTheYieldTouchesNothingMore) {
    Prepared p(1);
    p.host.SetPixel(3, 3, kBlue);
    p.loop.alive = false;
    p.Run();
    EXPECT_EQ(p.s.AreaRight, 0);
    EXPECT_TRUE(p.host.progressValues.empty());
}

TEST(Preparation, FailedRunGivesItsControlsBack) {
    Prepared p(2);
    p.s.MaxCharge = 3e38f;  // two such pixels in one cell pass the single range
    for (int x = 0; x < 2; ++x) p.host.SetPixel(x, 0, kBlue);
    EXPECT_THROW(p.Run(), RunTimeError);
    EXPECT_EQ(p.host.events, (std::vector<std::string>{"disable", "restore"}));
    EXPECT_TRUE(p.host.enabled);
}

TEST(Preparation, ElapsedSecondsAreReported) {
    Prepared p(8);
    p.clock.step = 0.25;
    p.Run();
    EXPECT_EQ(p.host.elapsed, "0.25");
}

}  // namespace
}  // namespace tovik
