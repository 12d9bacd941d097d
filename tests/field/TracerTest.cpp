#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

#include "field/Tension.h"
#include "field/Tracer.h"

namespace tovik {
namespace {

struct Op {
    char kind;  // 'c' colour, 'p' plot, 'l' line, 'm' menu
    float x, y;
    bool operator==(const Op&) const = default;
};

// One charged cell of side 1 at pixel (100, 100), coloured in the picture.
// The scene records what the tracer draws and stands in for the window's
// event loop, clock, menu and drawing-precision slider.
struct Scene : Canvas, EventLoop, Clock, TraceHost {
    explicit Scene(float charge = 1000) : field(s) {
        s.CalcSpeed = 1;
        s.AreaLeft = s.AreaTop = 100;
        s.AreaRight = s.AreaBottom = 101;
        s.Cell(0, 0) = charge;
        s.Pixel(100, 100) = 0xFF0000;
        s.DrawSpeed = 4;
        s.MaxTension = 5000;
        s.TimeLimit = 10;
    }
    void SetForeColor(std::int32_t bgr) override { ops.push_back({'c', static_cast<float>(bgr), 0}); }
    void Plot(float x, float y) override { ops.push_back({'p', x, y}); }
    void LineTo(float x, float y) override { ops.push_back({'l', x, y}); }
    bool Yield() override {
        ++yields;
        if (onYield) onYield();
        return alive;
    }
    double Seconds() override { return 1000.0; }  // time stands still
    void ShowMenu(float x, float y) override { menus.push_back({'m', x, y}); }
    void DrawSliderClick() override {
        ++sliderClicks;
        s.DrawSpeed = static_cast<std::int16_t>(11 - sliderPosition);
    }
    bool Press(int button, float x, float y) { return tracer.MouseDown(button, 0, x, y); }
    std::size_t Count(char k) const {
        return std::count_if(ops.begin(), ops.end(), [k](const Op& o) { return o.kind == k; });
    }

    SimState s;
    TensionEvaluator field;
    std::vector<Op> ops, menus;
    int yields = 0;
    bool alive = true;
    std::function<void()> onYield;
    int sliderPosition = 1;  // steps of 10 pixels
    int sliderClicks = 0;
    Tracer tracer{s, field, *this, *this, *this, *this};
};

// The right button opens the menu only; the left and the middle one trace the
// same white line, whose second branch ends on the charge's coloured pixel.
TEST(Tracer, RightButtonOpensTheMenuLeftAndMiddleTraceTheSameLine) {
    Scene right, left, middle;
    EXPECT_TRUE(right.Press(2, 200.5f, 100.5f));
    EXPECT_EQ(right.menus, (std::vector<Op>{{'m', 200.5f, 100.5f}}));
    EXPECT_TRUE(right.ops.empty());
    EXPECT_EQ(right.s.DrawSpeed, 4);
    EXPECT_EQ(right.sliderClicks, 0);

    EXPECT_TRUE(left.Press(1, 200.5f, 100.5f));
    EXPECT_TRUE(middle.Press(4, 200.5f, 100.5f));
    EXPECT_GT(left.Count('l'), 2u);
    EXPECT_EQ(left.ops, middle.ops);
    EXPECT_EQ(left.ops.front(), (Op{'c', static_cast<float>(0xFFFFFF), 0}));
    const Op last = left.ops.back();
    EXPECT_EQ(last.kind, 'l');
    EXPECT_EQ(std::floor(last.x), 100.0f);
    EXPECT_EQ(std::floor(last.y), 100.0f);
    for (const Scene* sc : {&left, &middle}) {
        EXPECT_EQ(sc->s.DrawSpeed, 10);  // positive again, from the slider
        EXPECT_GT(sc->yields, 0);
    }
}

// Where the start test fails nothing is drawn; where only the first stop
// test fails, each branch plots the start point.
TEST(Tracer, StartAndFirstStopTests) {
    const struct { const char* name; float x, y, charge, maxTension, timeLimit; std::size_t plots; } cases[] = {
        {"start field between MaxTension and 1000", 200.5f, 100.5f, 1000, 0.01f, 10, 2},  // the field is 0.1
        {"negative time limit", 200.5f, 100.5f, 1000, 5000, -1, 2},
        {"on the coloured pixel", 100.5f, 100.5f, 1000, 5000, 10, 0},
        {"field of 1000 or more", 101.5f, 100.5f, 1000, 5000, 10, 0},
        {"no field at all", 300, 300, 0, 5000, 10, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Scene sc(c.charge);
        sc.s.MaxTension = c.maxTension;
        sc.s.TimeLimit = c.timeLimit;
        EXPECT_TRUE(sc.Press(1, c.x, c.y));
        EXPECT_EQ(sc.Count('p'), c.plots);
        EXPECT_EQ(sc.Count('c'), c.plots);
        EXPECT_EQ(sc.Count('l'), 0u);
        EXPECT_EQ(sc.s.DrawSpeed, 10);
    }
}

TEST(Tracer, StepsFollowTheFieldAndASliderChangeDuringAYield) {
    Scene sc;
    sc.onYield = [&] { sc.s.DrawSpeed = sc.yields == 1 ? 2 : sc.s.DrawSpeed; };
    sc.Press(1, 200.5f, 100.5f);
    // Away from the positive charge: 10 pixels, then 2 after the slider moved.
    const std::vector<Op> first(sc.ops.begin() + 1, sc.ops.begin() + 6);
    EXPECT_EQ(first, (std::vector<Op>{{'p', 200.5f, 100.5f}, {'p', 200.5f, 100.5f}, {'l', 210.5f, 100.5f},
                                      {'p', 210.5f, 100.5f}, {'l', 212.5f, 100.5f}}));
}

TEST(Tracer, NestedPressDuringAYieldDrawsItsLineFirst) {
    Scene sc;
    bool nested = false;
    std::size_t opsBeforeNested = 0, opsAfterNested = 0;
    sc.onYield = [&] {
        if (nested) return;
        nested = true;
        opsBeforeNested = sc.ops.size();
        sc.Press(1, 100.5f, 200.5f);
        opsAfterNested = sc.ops.size();
    };
    sc.Press(1, 200.5f, 100.5f);
    ASSERT_TRUE(nested);
    EXPECT_GT(opsAfterNested, opsBeforeNested + 2);
    // The nested line runs along x = 100.5 while the first runs along y = 100.5.
    for (std::size_t i = opsBeforeNested; i < opsAfterNested; ++i)
        EXPECT_TRUE(sc.ops[i].kind != 'l' || sc.ops[i].x == 100.5f) << i;
    EXPECT_EQ(sc.s.DrawSpeed, 10);
}

TEST(Tracer, StopDuringAYieldEndsAtOnceWithDrawSpeedRestored) {
    Scene sc;
    sc.alive = false;
    EXPECT_FALSE(sc.Press(1, 200.5f, 100.5f));
    EXPECT_EQ(sc.yields, 1);
    EXPECT_EQ(sc.Count('l'), 1u);
    EXPECT_EQ(sc.s.DrawSpeed, 10);
}

TEST(Tracer, StepLimitReplacesTheTimeLimit) {
    Scene sc;
    sc.s.TimeLimit = -1;  // would end every branch before its first step
    sc.tracer.SetStepLimit(3);
    sc.Press(1, 300.5f, 100.5f);
    EXPECT_EQ(sc.Count('l'), 6u);  // three steps a branch
    EXPECT_EQ(sc.tracer.Steps(), 6);
    EXPECT_EQ(sc.tracer.Branches(), 2);
}

}  // namespace
}  // namespace tovik
