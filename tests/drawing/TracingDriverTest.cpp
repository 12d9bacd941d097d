#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "drawing/TracingDriver.h"
#include "field/MersenneRandom.h"

namespace tovik {
namespace {

struct Op {
    char kind;  // 'c' colour, 'p' plot, 'l' line, 'm' menu
    float x, y;
    bool operator==(const Op&) const = default;
};

// Cells of side 4 from (40, 40): +q at cell (0, 0) and -q at cell (15, 5),
// each on a coloured block of 4 x 4 pixels, in a picture of 200 x 120.
ChargeModelPtr Dipole(float q) {
    auto m = std::make_shared<ChargeModel>();
    m->PicWidth = 200;
    m->PicHeight = 120;
    m->CellSide = 4;
    m->AreaLeft = 40, m->AreaTop = 40, m->AreaRight = 104, m->AreaBottom = 64;
    m->Cell(0, 0) = q;
    m->Cell(15, 5) = -q;
    for (int dy = 0; dy < 4; ++dy)
        for (int dx = 0; dx < 4; ++dx) m->Pixel(40 + dx, 40 + dy) = 0xFF0000, m->Pixel(100 + dx, 60 + dy) = 0xFF;
    return m;
}

// What the driver draws, and the window around it: an event loop that runs
// an injected event at a chosen yield, a clock that stands still, the menu,
// the drawing-precision slider and the beep.
struct Scene : Canvas, EventLoop, Clock, TracingHost, AutoTraceProgress {
    explicit Scene(int threads = 1, float q = 4000) {
        s.Model = Dipole(q);
        s.CalcSpeed = 4;
        s.DrawSpeed = 4;
        s.MaxTension = 5000;
        s.TimeLimit = 10;
        s.PartDimmension = 40;
        driver.SetThreads(threads);
        driver.SetRecord(&record);
        // Time stands still here: lines end by the field or after this many steps.
        driver.SetStepLimit(300);
    }
    void SetForeColor(std::int32_t bgr) override { ops.push_back({'c', static_cast<float>(bgr), 0}); }
    void Plot(float x, float y) override { ops.push_back({'p', x, y}); }
    void LineTo(float x, float y) override { ops.push_back({'l', x, y}); }
    bool Yield() override {
        ++yields;
        if (square == injectSquare && ++yieldsInSquare == injectYield && onYield) {
            onYield();
            ++passes;
        }
        return alive;
    }
    bool Idle() override { return alive; }
    std::uint64_t Passes() const override { return passes; }
    double Seconds() override { return 1000.0; }  // time stands still
    void ShowMenu(float x, float y) override { menus.push_back({'m', x, y}); }
    void DrawSliderClick() override { s.DrawSpeed = static_cast<std::int16_t>(11 - sliderPosition); }
    void Beep() override { ++beeps; }
    void SquaresDone(long done, long) override { square = done, yieldsInSquare = 0; }

    bool Press(int button, float x, float y) { return driver.MouseDown(button, 0, x, y); }
    std::size_t Count(char k) const {
        return std::count_if(ops.begin(), ops.end(), [k](const Op& o) { return o.kind == k; });
    }

    SimState s;
    std::vector<Op> ops, menus;
    int yields = 0, beeps = 0;
    std::uint64_t passes = 0;
    bool alive = true;
    int sliderPosition = 1;  // steps of 10 pixels
    long square = -1, injectSquare = -2, injectYield = 0, yieldsInSquare = 0;
    std::function<void()> onYield;
    MersenneRandom random{20240607u};
    DrawnLines record;
    TracingDriver driver{s, TracingPorts{*this, *this, *this, random, *this}};
};

using Segment = std::array<float, 4>;

// The segments drawn, in order of their ends.
std::vector<Segment> Segments(const std::vector<Op>& ops) {
    std::vector<Segment> out;
    Op at{};
    for (const Op& o : ops) {
        if (o.kind == 'p') at = o;
        if (o.kind == 'l') out.push_back({at.x, at.y, o.x, o.y});
    }
    std::sort(out.begin(), out.end());
    return out;
}

// The segments the record keeps.
std::vector<Segment> Segments(const DrawnLines& record) {
    std::vector<Segment> out;
    for (const DrawnLine& line : record.Lines())
        for (const DrawnBranch& b : line.branches)
            for (std::size_t i = 1; i < b.trace.points.size(); ++i)
                out.push_back({b.trace.points[i - 1].x, b.trace.points[i - 1].y, b.trace.points[i].x,
                               b.trace.points[i].y});
    std::sort(out.begin(), out.end());
    return out;
}

// The right button opens the menu only; the left and the middle one trace the
// same white line, whose second branch ends on the negative charge's pixels.
TEST(TracingDriver, RightButtonOpensTheMenuLeftAndMiddleTraceTheSameLine) {
    Scene right, left, middle;
    EXPECT_TRUE(right.Press(2, 150.5f, 20.5f));
    EXPECT_EQ(right.menus, (std::vector<Op>{{'m', 150.5f, 20.5f}}));
    EXPECT_TRUE(right.ops.empty());
    EXPECT_EQ(right.s.DrawSpeed, 4);

    EXPECT_TRUE(left.Press(1, 70.5f, 52.5f));
    EXPECT_TRUE(middle.Press(4, 70.5f, 52.5f));
    EXPECT_GT(left.Count('l'), 2u);
    EXPECT_EQ(left.ops, middle.ops);
    EXPECT_EQ(left.ops.front(), (Op{'c', static_cast<float>(0xFFFFFF), 0}));
    EXPECT_EQ(left.s.DrawSpeed, 10);  // positive again, from the slider
    EXPECT_EQ(left.yields, static_cast<int>(left.Count('l')));
}

// Where the start test fails nothing is drawn; where only the first stop
// test fails, each branch plots the start point.
TEST(TracingDriver, StartAndFirstStopTests) {
    const struct { const char* name; float x, y, q, maxTension, timeLimit; std::size_t plots; } cases[] = {
        {"start field between MaxTension and 1000", 150.5f, 20.5f, 4000, 0.01f, 10, 2},
        {"on a coloured pixel", 41.5f, 41.5f, 4000, 5000, 10, 0},
        {"field of 1000 or more", 44.5f, 42.0f, 8000, 5000, 10, 0},
        {"no field at all", 150.5f, 20.5f, 0, 5000, 10, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Scene sc(1, c.q);
        sc.s.MaxTension = c.maxTension;
        sc.s.TimeLimit = c.timeLimit;
        EXPECT_TRUE(sc.Press(1, c.x, c.y));
        EXPECT_EQ(sc.Count('p'), c.plots);
        EXPECT_EQ(sc.Count('l'), 0u);
        EXPECT_EQ(sc.s.DrawSpeed, 10);
    }
}

// A slider change during a yield takes effect at the next step; a nested
// press draws its whole line first; a stop ends at once, DrawSpeed restored.
TEST(TracingDriver, EventsDuringAYield) {
    Scene slider;
    slider.injectSquare = slider.square;
    slider.injectYield = 1;
    slider.onYield = [&] { slider.s.DrawSpeed = 2; };
    slider.Press(1, 150.5f, 20.5f);
    const float x1 = slider.ops[3].x, y1 = slider.ops[3].y;
    const float step2 = std::hypot(slider.ops[5].x - x1, slider.ops[5].y - y1);
    EXPECT_NEAR(std::hypot(x1 - 150.5f, y1 - 20.5f), 10, 1e-3);
    EXPECT_NEAR(step2, 2, 1e-3);

    Scene nested;
    nested.injectSquare = nested.square;
    nested.injectYield = 1;
    std::size_t before = 0, after = 0;
    nested.onYield = [&] {
        before = nested.ops.size();
        nested.Press(1, 150.5f, 100.5f);
        after = nested.ops.size();
    };
    nested.Press(1, 150.5f, 20.5f);
    EXPECT_GT(after, before + 2);
    EXPECT_EQ(nested.s.DrawSpeed, 10);

    Scene stopped;
    stopped.alive = false;
    EXPECT_FALSE(stopped.Press(1, 150.5f, 20.5f));
    EXPECT_EQ(stopped.yields, 1);
    EXPECT_EQ(stopped.s.DrawSpeed, 10);
}

// "Пуск" on 2 and 4 threads draws what it draws on one, whatever event a
// yield runs at any step: lines ahead that the event makes stale are traced
// again.
TEST(TracingDriver, RunOnWorkersMatchesTheRunOnOneThreadWithEventsInjected) {
    const struct { const char* name; std::function<void(Scene&)> event; } events[] = {
        {"none", [](Scene&) {}},
        {"a press", [](Scene& sc) { sc.driver.MouseDown(1, 0, 180.5f, 110.5f); }},
        {"the slider", [](Scene& sc) { sc.sliderPosition = 9, sc.s.DrawSpeed = 2; }},
        {"a Preparation", [](Scene& sc) { sc.s.Model = Dipole(9000); }},
        {"the cell side", [](Scene& sc) { sc.s.CalcSpeed = 8; }},
        {"PartDimmension", [](Scene& sc) { sc.s.PartDimmension = 30; }},
        {"MaxTension", [](Scene& sc) { sc.s.MaxTension = 3; }},
        {"Escape", [](Scene& sc) { sc.alive = false; }},
        {"a clear", [](Scene& sc) { sc.record.Clear(), sc.ops.clear(); }},
    };
    for (const auto& e : events) {
        for (const long at : {1L, 5L}) {
            SCOPED_TRACE(testing::Message() << e.name << " at yield " << at << " of square 3");
            std::vector<Op> one;
            for (const int threads : {1, 2, 4}) {
                Scene sc(threads);
                sc.driver.SetStepLimit(60);
                sc.injectSquare = 3;
                sc.injectYield = at;
                sc.onYield = [&] { e.event(sc); };
                const bool finished = sc.driver.StartAutomaticTracing(&sc);
                EXPECT_EQ(finished, sc.beeps == 1);
                EXPECT_EQ(finished, sc.alive);
                // The record holds exactly what is drawn.
                EXPECT_EQ(Segments(sc.record), Segments(sc.ops));
                if (threads == 1) {
                    one = sc.ops;
                    EXPECT_GT(sc.Count('l'), 200u);
                } else {
                    EXPECT_GT(sc.driver.LinesFromWorkers(), 2);
                    EXPECT_TRUE(sc.ops == one) << threads << " threads: " << sc.ops.size() << " ops, not "
                                               << one.size();
                }
            }
        }
    }
}

// A run-time error met by a worker ends the run at the same square as on
// one thread, with the same kind, after the same drawing.
TEST(TracingDriver, AnErrorOnAWorkerEndsTheRunAsOnOneThread) {
    std::vector<Op> one;
    for (const int threads : {1, 2}) {
        Scene sc(threads);
        auto m = std::make_shared<ChargeModel>(*Dipole(4000));
        m->Cell(3, 3) = std::numeric_limits<float>::quiet_NaN();
        // The first row of squares lies on coloured pixels: no field, no error.
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 200; ++x) m->Pixel(x, y) = 0x00FF00;
        m->AreaLeft = 0, m->AreaTop = 0, m->AreaRight = 200, m->AreaBottom = 120;
        sc.s.Model = m;
        try {
            sc.driver.StartAutomaticTracing(&sc);
            ADD_FAILURE() << "no error";
        } catch (const RunTimeError& e) {
            EXPECT_EQ(e.kind(), RunTimeErrorKind::InvalidOperation);
        }
        EXPECT_EQ(sc.square, 5);  // the first square of the second row
        const TracedBranch& last = sc.record.Lines().back().branches.back().trace;
        EXPECT_EQ(last.end, BranchEnd::Failed);
        EXPECT_EQ(last.error, RunTimeErrorKind::InvalidOperation);
        EXPECT_EQ(Segments(sc.record), Segments(sc.ops));
        if (threads == 1) one = sc.ops;
        EXPECT_EQ(sc.ops, one);
    }
}

}  // namespace
}  // namespace tovik
