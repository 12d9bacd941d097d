#include <gtest/gtest.h>

#include <vector>

#include "field/AutoTracer.h"
#include "field/Tracer.h"

namespace tovik {
namespace {

struct AutoRun : PressHandler {
    AutoRun(int w, int h, int part) {
        s.PicWidth = static_cast<std::int16_t>(w);
        s.PicHeight = static_cast<std::int16_t>(h);
        s.PartDimmension = part;
    }
    bool MouseDown(int button, int shift, float x, float y) override {
        presses.push_back({button, shift, x, y});
        return alive;
    }
    bool Go() { return AutoTracer(s, *this, random, beeper).Run(this->progress); }

    struct CountingBeeper : Beeper {
        void Beep() override { ++beeps; }
        int beeps = 0;
    } beeper;
    struct Progress : AutoTraceProgress {
        void SquaresDone(long done, long total) override { reports.push_back({done, total}); }
        std::vector<std::pair<long, long>> reports;
    } progressLog;
    AutoTraceProgress* progress = nullptr;

    struct CountingRandom : RandomSource {
        void Randomize() override { ++seeds; }
        float Rnd() override { return values[next++ % values.size()]; }
        std::vector<float> values{0.0f, 0.5f, 0.999999f, 0.25f};
        std::size_t next = 0;
        int seeds = 0;
    } random;
    struct Press { int button, shift; float x, y; };
    std::vector<Press> presses;
    bool alive = true;
    SimState s;
};

TEST(AutoTracer, OnePointInEveryWholeSquare) {
    const struct Case {
        int w, h, part;
        std::size_t squares;
        int perRow;
    } cases[] = {
        {100, 50, 25, 8, 4}, {99, 50, 25, 6, 3}, {25, 25, 25, 1, 1}, {781, 469, 25, 31 * 18, 31},
        // Too large a square: only the beep. A side below 1 never hangs.
        {24, 100, 25, 0, 0}, {100, 24, 25, 0, 0}, {100, 50, 0, 0, 0}, {100, 50, -1, 0, 0}, {100, 50, -25, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << " by " << c.part);
        AutoRun r(c.w, c.h, c.part);
        EXPECT_TRUE(r.Go());
        EXPECT_EQ(r.beeper.beeps, 1);
        EXPECT_EQ(r.random.seeds, 1);
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

TEST(AutoTracer, ReportsTheSquaresDoneOfTheRun) {
    AutoRun r(100, 50, 25);
    r.progress = &r.progressLog;
    r.Go();
    ASSERT_EQ(r.progressLog.reports.size(), 9u);
    for (long k = 0; k <= 8; ++k) EXPECT_EQ(r.progressLog.reports[k], (std::pair<long, long>{k, 8})) << k;
}

TEST(AutoTracer, StopsWithoutBeepWhenTheWindowGoes) {
    AutoRun r(100, 50, 25);
    r.alive = false;
    EXPECT_FALSE(r.Go());
    EXPECT_EQ(r.presses.size(), 1u);
    EXPECT_EQ(r.beeper.beeps, 0);
}

}  // namespace
}  // namespace tovik
