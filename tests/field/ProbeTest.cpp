#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "field/Probe.h"
#include "field/Tension.h"

namespace tovik {
namespace {

// Cells of side 4 from (100, 50): cell (0, 0) holds 16, cell (1, 0) holds 32.
struct ProbeScene {
    ProbeScene() {
        s.AreaLeft = 100;
        s.AreaTop = 50;
        s.AreaRight = 108;
        s.AreaBottom = 54;
        s.Cell(0, 0) = 16;
        s.Cell(1, 0) = 32;
    }
    ProbeReading Read(float x, float y) {
        return ReadProbe(TensionEvaluator(ChargedCells::Build(std::make_shared<ChargeModel>(s), side)), x, y);
    }
    ChargeModel s;
    std::int32_t side = 4;
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
    for (const auto& c : cases) EXPECT_EQ(sc.Read(c.x, c.y).Er, c.er) << c.name;
}

TEST(Probe, FieldComponentsAndTheirTexts) {
    ProbeScene sc;
    sc.s.Cell(1, 0) = 0;
    // One cell of 16 centred at (102, 52): 10 pixels to the right gives 16 / 100.
    const ProbeReading r = sc.Read(112, 52);
    EXPECT_EQ(r.Ex, "0.16");
    EXPECT_EQ(r.Ey, "0");
    // A coloured pixel inside the area has no field, but its cell's density.
    sc.s.Pixel(101, 51) = 0xFF;
    const ProbeReading on = sc.Read(101, 51);
    EXPECT_EQ((std::vector{on.Ex, on.Ey, on.Er}), (std::vector<std::string>{"0", "0", "1"}));
}

TEST(Probe, ZeroCellSideFailsInTheFieldEvaluation) {
    ProbeScene sc;
    sc.side = 0;
    EXPECT_THROW(sc.Read(200, 200), RunTimeError);
}

TEST(DrawingPrecision, SliderPositionGivesTheStep) {
    const std::pair<int, int> rows[] = {{1, 10}, {7, 4}, {10, 1}};
    for (const auto& [position, step] : rows) EXPECT_EQ(DrawSpeedForPosition(position), step);
    EXPECT_THROW(DrawSpeedForPosition(-2147483647 + 5), RunTimeError);
}

}  // namespace
}  // namespace tovik
