#include <gtest/gtest.h>

#include <vector>

#include "field/AutoTracer.h"
#include "field/Tracer.h"

namespace tovik {
namespace {

// A run over a picture of w x h pixels that records its presses; the
// generator repeats four values.
struct AutoRun : PressHandler, Beeper, RandomSource {
    AutoRun(int w, int h, int part) {
        s.PicWidth = static_cast<std::int16_t>(w);
        s.PicHeight = static_cast<std::int16_t>(h);
        s.PartDimmension = part;
    }
    bool MouseDown(int button, int shift, float x, float y) override {
        presses.push_back({button, shift, x, y});
        return alive;
    }
    void Beep() override { ++beeps; }
    void Randomize() override { ++seeds; }
    float Rnd() override { return values[next++ % values.size()]; }
    bool Go() { return AutoTracer(s, *this, *this, *this).Run(); }

    struct Press { int button, shift; float x, y; };
    std::vector<Press> presses;
    std::vector<float> values{0.0f, 0.5f, 0.999999f, 0.25f};
    std::size_t next = 0;
    int beeps = 0, seeds = 0;
    bool alive = true;
    SimState s;
};

TEST(AutoTracer, OnePointInEveryWholeSquare) {
    const struct Case {
        int w, h, part;
        std::size_t squares;
        int perRow;
    } cases[] = {
        {100, 50, 25, 8, 4}, {99, 50, 25, 6, 3}, {25, 25, 25, 1, 1},
        // Too large a square: only the beep. A side below 1 never hangs.
        {24, 100, 25, 0, 0}, {100, 24, 25, 0, 0}, {100, 50, 0, 0, 0}, {100, 50, -25, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << " by " << c.part);
        AutoRun r(c.w, c.h, c.part);
        EXPECT_TRUE(r.Go());
        EXPECT_EQ(r.beeps, 1);
        EXPECT_EQ(r.seeds, 1);
        ASSERT_EQ(r.presses.size(), c.squares);
        for (std::size_t k = 0; k < c.squares; ++k) {
            const auto& p = r.presses[k];
            EXPECT_EQ(p.button, 1);
            EXPECT_EQ(p.shift, 0);
            const int cx = static_cast<int>(k % c.perRow) * c.part;
            const int cy = static_cast<int>(k / c.perRow) * c.part;
            EXPECT_TRUE(p.x >= cx && p.x <= cx + c.part && p.y >= cy && p.y <= cy + c.part) << k;
        }
    }
}

TEST(AutoTracer, PointsFollowTheGenerator) {
    AutoRun r(100, 50, 25);
    r.Go();
    ASSERT_GE(r.presses.size(), 2u);
    EXPECT_EQ(r.presses[0].x, 0.0f);    // u1 = 0
    EXPECT_EQ(r.presses[0].y, 12.5f);   // u2 = 0.5
    EXPECT_EQ(r.presses[1].x, static_cast<float>(0.999999f * 25.0 + 25));
    EXPECT_EQ(r.presses[1].y, 6.25f);
}

TEST(AutoTracer, StopsWithoutBeepWhenTheWindowGoes) {
    AutoRun r(100, 50, 25);
    r.alive = false;
    EXPECT_FALSE(r.Go());
    EXPECT_EQ(r.presses.size(), 1u);
    EXPECT_EQ(r.beeps, 0);
}

}  // namespace
}  // namespace tovik
