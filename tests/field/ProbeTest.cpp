#include <gtest/gtest.h>

#include "field/Probe.h"
#include "field/Tension.h"
#include "model/FakeHosts.h"

namespace tovik {
namespace {

// Cells of side 4 from (100, 50): cell (0, 0) holds 16, cell (1, 0) holds 32.
struct ProbeScene {
    ProbeScene() : field(s) {
        s.CalcSpeed = 4;
        s.AreaLeft = 100;
        s.AreaTop = 50;
        s.AreaRight = 108;
        s.AreaBottom = 54;
        s.Cell(0, 0) = 16;
        s.Cell(1, 0) = 32;
    }
    SimState s;
    TensionEvaluator field;
};

TEST(Probe, DensityOfTheCellUnderThePointer) {
    const struct { const char* name; float x, y; const char* er; } cases[] = {
        {"on the area's corner", 100, 50, "1"},
        {"2.5 right rounds to 2: first column", 102.5f, 50, "1"},
        {"3.5 right rounds to 4: second column", 103.5f, 50, "2"},
        {"3 pixels left still reads the first column", 97, 50, "1"},
        {"5 pixels left is outside the grid", 95, 50, "0"},
        {"far beyond the grid", 1e6f, 50, "0"},
        {"above the area", 100, 45, "0"},
    };
    ProbeScene sc;
    for (const auto& c : cases) {
        const ProbeReading r = ReadProbe(sc.s, sc.field, c.x, c.y);
        EXPECT_EQ(r.Er, c.er) << c.name;
    }
}

TEST(Probe, FieldComponentsAndTheirTexts) {
    ProbeScene sc;
    sc.s.Cell(1, 0) = 0;
    // One cell of 16 centred at (102, 52): 10 pixels to the right gives 16 / 100.
    const ProbeReading r = ReadProbe(sc.s, sc.field, 112, 52);
    EXPECT_EQ(r.Ex, "0.16");
    EXPECT_EQ(r.Ey, "0");
    // A coloured pixel inside the area has no field, but its cell's density.
    sc.s.Pixel(101, 51) = 0xFF;
    const ProbeReading on = ReadProbe(sc.s, sc.field, 101, 51);
    EXPECT_EQ(on.Ex, "0");
    EXPECT_EQ(on.Ey, "0");
    EXPECT_EQ(on.Er, "1");
}

TEST(Probe, ZeroCellSideFailsInTheFieldEvaluation) {
    ProbeScene sc;
    sc.s.CalcSpeed = 0;
    EXPECT_THROW(ReadProbe(sc.s, sc.field, 200, 200), RunTimeError);
}

TEST(DrawingPrecision, SliderPositionGivesAndStoresTheStep) {
    const struct { int position; int drawSpeed; const char* text; } cases[] = {
        {1, 10, "10"}, {7, 4, "4"}, {10, 1, "1"},
    };
    for (const auto& c : cases) {
        SimState s;
        test::FakeSettings settings;
        SetDrawSpeedFromSlider(s, c.position, settings);
        EXPECT_EQ(s.DrawSpeed, c.drawSpeed);
        EXPECT_EQ(settings.prepares, 1);
        ASSERT_EQ(settings.writes.size(), 1u);
        EXPECT_EQ(settings.writes[0].first, "DrawSpeed");
        EXPECT_EQ(settings.writes[0].second, c.text);
    }
}

}  // namespace
}  // namespace tovik
