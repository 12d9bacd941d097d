#include <gtest/gtest.h>

#include <vector>

#include "field/AutoTracer.h"
#include "field/Tracer.h"

namespace tovik {
namespace {

struct RecordingPress : PressHandler {
    bool MouseDown(int button, int shift, float x, float y) override {
        presses.push_back({button, shift, x, y});
        return alive;
    }
    struct Press { int button, shift; float x, y; };
    std::vector<Press> presses;
    bool alive = true;
};

struct CountingRandom : RandomSource {
    void Randomize() override { ++seeds; }
    float Rnd() override { return values[next++ % values.size()]; }
    std::vector<float> values{0.0f, 0.5f, 0.999999f, 0.25f};
    std::size_t next = 0;
    int seeds = 0;
};

struct AutoRun {
    AutoRun(int w, int h, int part) {
        s.PicWidth = static_cast<std::int16_t>(w);
        s.PicHeight = static_cast<std::int16_t>(h);
        s.PartDimmension = part;
    }
    bool Go() {
        return AutoTracer(s, press, random).Run([this] { ++beeps; });
    }
    SimState s;
    RecordingPress press;
    CountingRandom random;
    int beeps = 0;
};

TEST(AutoTracer, OnePointInEveryWholeSquare) {
    const struct Case {
        int w, h, part;
        std::size_t squares;
        int perRow;
    } cases[] = {
        {100, 50, 25, 8, 4},  {99, 50, 25, 6, 3}, {25, 25, 25, 1, 1},
        {24, 100, 25, 0, 0},  {100, 24, 25, 0, 0}, {781, 469, 25, 31 * 18, 31},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << " by " << c.part);
        AutoRun r(c.w, c.h, c.part);
        EXPECT_TRUE(r.Go());
        EXPECT_EQ(r.beeps, 1);
        EXPECT_EQ(r.random.seeds, 1);
        ASSERT_EQ(r.press.presses.size(), c.squares);
        for (std::size_t k = 0; k < c.squares; ++k) {
            const auto& p = r.press.presses[k];
            EXPECT_EQ(p.button, 1);
            EXPECT_EQ(p.shift, 0);
            const int cx = static_cast<int>(k % c.perRow) * c.part;
            const int cy = static_cast<int>(k / c.perRow) * c.part;
            EXPECT_GE(p.x, cx);
            EXPECT_LE(p.x, cx + c.part);
            EXPECT_GE(p.y, cy);
            EXPECT_LE(p.y, cy + c.part);
        }
    }
}

TEST(AutoTracer, PointsFollowTheGenerator) {
    AutoRun r(100, 50, 25);
    r.Go();
    ASSERT_GE(r.press.presses.size(), 2u);
    EXPECT_EQ(r.press.presses[0].x, 0.0f);    // u1 = 0
    EXPECT_EQ(r.press.presses[0].y, 12.5f);   // u2 = 0.5
    EXPECT_EQ(r.press.presses[1].x, static_cast<float>(0.999999f * 25.0 + 25));
    EXPECT_EQ(r.press.presses[1].y, 6.25f);
}

TEST(AutoTracer, SquareSidesBelowOneNeverHang) {
    for (int part : {0, -1, -25}) {
        AutoRun r(100, 50, part);
        EXPECT_TRUE(r.Go());
        EXPECT_TRUE(r.press.presses.empty()) << part;
        EXPECT_EQ(r.beeps, 1) << part;
    }
}

TEST(AutoTracer, StopsWithoutBeepWhenTheWindowGoes) {
    AutoRun r(100, 50, 25);
    r.press.alive = false;
    EXPECT_FALSE(r.Go());
    EXPECT_EQ(r.press.presses.size(), 1u);
    EXPECT_EQ(r.beeps, 0);
}

TEST(TimeSeededRandom, UniformInUnitInterval) {
    TimeSeededRandom r;
    r.Randomize();
    double sum = 0;
    for (int k = 0; k < 10000; ++k) {
        const float u = r.Rnd();
        ASSERT_GE(u, 0.0f);
        ASSERT_LT(u, 1.0f);
        sum += u;
    }
    EXPECT_NEAR(sum / 10000, 0.5, 0.02);
}

}  // namespace
}  // namespace tovik
