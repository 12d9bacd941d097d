#include <gtest/gtest.h>

#include <vector>

#include "field/SquareWalk.h"

namespace tovik {
namespace {

// A generator that repeats four values.
struct Repeating : RandomSource {
    void Randomize() override {}
    float Rnd() override { return values[next++ % values.size()]; }
    std::unique_ptr<RandomSource> Clone() const override { return std::make_unique<Repeating>(*this); }
    std::vector<float> values{0.0f, 0.5f, 0.999999f, 0.25f};
    std::size_t next = 0;
};

std::vector<TracePoint> Walk(int w, int h, int part) {
    SimState s;
    auto m = std::make_shared<ChargeModel>();
    m->PicWidth = static_cast<std::int16_t>(w);
    m->PicHeight = static_cast<std::int16_t>(h);
    s.Model = m;
    s.PartDimmension = part;
    Repeating random;
    SquareWalk walk(s);
    std::vector<TracePoint> points;
    while (auto p = walk.Next(s, random)) points.push_back(*p);
    EXPECT_EQ(static_cast<long>(points.size()), SquareWalk::SquareCount(s));
    return points;
}

TEST(SquareWalk, OnePointInEveryWholeSquare) {
    const struct Case {
        int w, h, part;
        std::size_t squares;
        int perRow;
    } cases[] = {
        {100, 50, 25, 8, 4}, {99, 50, 25, 6, 3}, {25, 25, 25, 1, 1},
        // Too large a square: none. A side below 1 never hangs.
        {24, 100, 25, 0, 0}, {100, 24, 25, 0, 0}, {100, 50, 0, 0, 0}, {100, 50, -25, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << " by " << c.part);
        const std::vector<TracePoint> points = Walk(c.w, c.h, c.part);
        ASSERT_EQ(points.size(), c.squares);
        for (std::size_t k = 0; k < c.squares; ++k) {
            const int cx = static_cast<int>(k % c.perRow) * c.part;
            const int cy = static_cast<int>(k / c.perRow) * c.part;
            const TracePoint p = points[k];
            EXPECT_TRUE(p.x >= cx && p.x <= cx + c.part && p.y >= cy && p.y <= cy + c.part) << k;
        }
    }
}

TEST(SquareWalk, PointsFollowTheGeneratorAndACopyForeseesThem) {
    const std::vector<TracePoint> points = Walk(100, 50, 25);
    ASSERT_GE(points.size(), 2u);
    EXPECT_EQ(points[0], (TracePoint{0.0f, 12.5f}));  // u1 = 0, u2 = 0.5
    EXPECT_EQ(points[1], (TracePoint{static_cast<float>(0.999999f * 25.0 + 25), 6.25f}));

    SimState s;
    auto m = std::make_shared<ChargeModel>();
    m->PicWidth = 100;
    m->PicHeight = 50;
    s.Model = m;
    s.PartDimmension = 25;
    Repeating random;
    SquareWalk walk(s);
    walk.Next(s, random);
    SquareWalk ahead = walk;
    auto foreseen = random.Clone();
    for (std::size_t k = 1; k < points.size(); ++k) EXPECT_EQ(*ahead.Next(s, *foreseen), points[k]) << k;
    EXPECT_EQ(walk.Next(s, random), points[1]);
}

}  // namespace
}  // namespace tovik
