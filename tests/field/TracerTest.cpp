#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "field/Tension.h"
#include "field/Tracer.h"
#include "model/FakeHosts.h"

namespace tovik {
namespace {

struct Op {
    char kind;  // 'c' colour, 'p' plot, 'l' line
    float x, y;
};

struct RecordingCanvas : Canvas {
    void SetForeColor(std::int32_t bgr) override { ops.push_back({'c', static_cast<float>(bgr), 0}); }
    void Plot(float x, float y) override { ops.push_back({'p', x, y}); }
    void LineTo(float x, float y) override { ops.push_back({'l', x, y}); }
    std::size_t Count(char k) const {
        std::size_t n = 0;
        for (const auto& o : ops) n += o.kind == k;
        return n;
    }
    std::vector<Op> ops;
};

// One charged cell of side 1 at pixel (100, 100), coloured in the picture.
struct Scene : TraceHost {
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
    void ShowMenu(float x, float y) override { menus.push_back({'m', x, y}); }
    void DrawSliderClick() override {
        ++sliderClicks;
        s.DrawSpeed = static_cast<std::int16_t>(11 - sliderPosition);
    }
    bool Press(int button, float x, float y) { return tracer.MouseDown(button, 0, x, y); }

    SimState s;
    TensionEvaluator field;
    RecordingCanvas canvas;
    test::FakeLoop loop;
    test::FakeClock clock;
    int sliderPosition = 1;  // steps of 10 pixels
    int sliderClicks = 0;
    std::vector<Op> menus;
    Tracer tracer{s, field, canvas, loop, clock, *this};
};

TEST(Tracer, RightButtonOpensTheMenuOnly) {
    Scene sc;
    EXPECT_TRUE(sc.Press(2, 200.5f, 100.5f));
    ASSERT_EQ(sc.menus.size(), 1u);
    EXPECT_EQ(sc.menus[0].x, 200.5f);
    EXPECT_TRUE(sc.canvas.ops.empty());
    EXPECT_EQ(sc.s.DrawSpeed, 4);
    EXPECT_EQ(sc.sliderClicks, 0);
}

TEST(Tracer, LeftAndMiddleButtonsTraceTheSameLine) {
    std::vector<Op> lines[2];
    const int buttons[] = {1, 4};
    for (int k = 0; k < 2; ++k) {
        Scene sc;
        EXPECT_TRUE(sc.Press(buttons[k], 200.5f, 100.5f));
        lines[k] = sc.canvas.ops;
        EXPECT_EQ(sc.s.DrawSpeed, 10);  // positive again, from the slider
        EXPECT_GT(sc.loop.yields, 0);
    }
    ASSERT_EQ(lines[0].size(), lines[1].size());
    for (std::size_t i = 0; i < lines[0].size(); ++i) {
        EXPECT_EQ(lines[0][i].x, lines[1][i].x);
        EXPECT_EQ(lines[0][i].y, lines[1][i].y);
    }
}

TEST(Tracer, LineStopsOnAColouredPixelOfTheArea) {
    Scene sc;
    sc.Press(1, 200.5f, 100.5f);
    // The second branch runs towards the charge and ends with the segment
    // that lands on its coloured pixel.
    const Op last = sc.canvas.ops.back();
    EXPECT_EQ(last.kind, 'l');
    EXPECT_EQ(std::floor(last.x), 100.0f);
    EXPECT_EQ(std::floor(last.y), 100.0f);
    EXPECT_EQ(sc.canvas.ops.front().kind, 'c');
    EXPECT_EQ(sc.canvas.ops.front().x, static_cast<float>(0xFFFFFF));
}

TEST(Tracer, StartFieldAboveTheLimitPlotsTheStartPointTwice) {
    Scene sc;
    sc.s.MaxTension = 0.01f;  // the start field is 0.1
    sc.Press(1, 200.5f, 100.5f);
    EXPECT_EQ(sc.canvas.Count('p'), 2u);
    EXPECT_EQ(sc.canvas.Count('l'), 0u);
    EXPECT_EQ(sc.canvas.Count('c'), 2u);
}

TEST(Tracer, NothingIsDrawnWhereTheStartTestFails) {
    const struct { const char* name; float x, y; float charge; } cases[] = {
        {"on the coloured pixel", 100.5f, 100.5f, 1000},
        {"field of 1000 or more", 101.5f, 100.5f, 1000},
        {"no field at all", 300, 300, 0},
    };
    for (const auto& c : cases) {
        Scene sc(c.charge);
        sc.Press(1, c.x, c.y);
        EXPECT_TRUE(sc.canvas.ops.empty()) << c.name;
        EXPECT_EQ(sc.s.DrawSpeed, 10) << c.name;
    }
}

TEST(Tracer, ElapsedTimeLimitPlotsOnlyTheStartPoint) {
    Scene sc;
    sc.s.TimeLimit = -1;
    sc.Press(1, 200.5f, 100.5f);
    EXPECT_EQ(sc.canvas.Count('p'), 2u);
    EXPECT_EQ(sc.canvas.Count('l'), 0u);
}

TEST(Tracer, BranchEndsAfterItsTimeLimit) {
    Scene sc;
    sc.clock.step = 1.0;  // every reading is a second later
    sc.s.TimeLimit = 3;
    sc.Press(1, 200.5f, 100.5f);
    // Each branch: the start reading, then one reading per stop test.
    EXPECT_LE(sc.canvas.Count('l'), 6u);
    EXPECT_GE(sc.canvas.Count('l'), 2u);
}

TEST(Tracer, StepsFollowTheField) {
    Scene sc;
    sc.s.MaxTension = 5000;
    sc.Press(1, 200.5f, 100.5f);
    // First branch: away from the positive charge, 10 pixels a step.
    ASSERT_GE(sc.canvas.ops.size(), 4u);
    EXPECT_EQ(sc.canvas.ops[1].kind, 'p');
    EXPECT_EQ(sc.canvas.ops[3].kind, 'l');
    EXPECT_EQ(sc.canvas.ops[3].x, 210.5f);
    EXPECT_EQ(sc.canvas.ops[3].y, 100.5f);
}

TEST(Tracer, NestedPressDuringAYieldDrawsItsLineFirst) {
    Scene sc;
    sc.s.MaxTension = 5000;
    bool nested = false;
    std::size_t opsBeforeNested = 0, opsAfterNested = 0;
    sc.loop.onYield = [&] {
        if (nested) return;
        nested = true;
        opsBeforeNested = sc.canvas.ops.size();
        sc.Press(1, 100.5f, 200.5f);
        opsAfterNested = sc.canvas.ops.size();
    };
    sc.Press(1, 200.5f, 100.5f);
    ASSERT_TRUE(nested);
    EXPECT_GT(opsAfterNested, opsBeforeNested + 2);
    // The nested line runs along x = 100.5 while the first runs along y = 100.5.
    for (std::size_t i = opsBeforeNested; i < opsAfterNested; ++i) {
        if (sc.canvas.ops[i].kind == 'l') {
            EXPECT_EQ(sc.canvas.ops[i].x, 100.5f);
        }
    }
    EXPECT_EQ(sc.s.DrawSpeed, 10);
}

TEST(Tracer, SliderChangeDuringAYieldTakesEffectAtTheNextStep) {
    Scene sc;
    int yields = 0;
    sc.loop.onYield = [&] {
        if (++yields == 1) sc.s.DrawSpeed = 2;
    };
    sc.Press(1, 200.5f, 100.5f);
    // ops: colour, plot, plot, line(210.5), plot, line(212.5)
    ASSERT_GE(sc.canvas.ops.size(), 6u);
    EXPECT_EQ(sc.canvas.ops[3].x, 210.5f);
    EXPECT_EQ(sc.canvas.ops[5].x, 212.5f);
}

TEST(Tracer, WindowGoneDuringAYieldStopsAtOnce) {
    Scene sc;
    sc.loop.alive = false;
    EXPECT_FALSE(sc.Press(1, 200.5f, 100.5f));
    EXPECT_EQ(sc.loop.yields, 1);
    EXPECT_EQ(sc.canvas.Count('l'), 1u);
}

TEST(Tracer, PreparationDuringAYieldIsSeenByTheNextStep) {
    Scene sc;
    int yields = 0;
    sc.loop.onYield = [&] {
        if (++yields == 1) {
            // A new model without charge: the next evaluation finds no field.
            sc.s.Cell(0, 0) = 0;
            ++sc.s.ModelGeneration;
        }
    };
    sc.Press(1, 200.5f, 100.5f);
    // The step after the yield uses the field found before it; the
    // evaluation after that step already sees the new model.
    EXPECT_EQ(sc.canvas.Count('l'), 2u);
}

}  // namespace
}  // namespace tovik
