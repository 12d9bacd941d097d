#include <gtest/gtest.h>

#include <algorithm>

#include "model/SimState.h"

namespace tovik {
namespace {

TEST(SimState, EverythingIsZeroBeforeUse) {
    const SimState s;
    EXPECT_TRUE(std::all_of(s.PixelColor.begin(), s.PixelColor.end(), [](int v) { return v == 0; }));
    EXPECT_TRUE(std::all_of(s.ChargeDensity.begin(), s.ChargeDensity.end(), [](float v) { return v == 0; }));
    EXPECT_EQ(s.AreaLeft | s.AreaTop | s.AreaRight | s.AreaBottom | s.PicWidth | s.PicHeight, 0);
    EXPECT_EQ(s.CalcSpeed, 0);
    EXPECT_EQ(s.DrawSpeed, 0);
    EXPECT_EQ(s.PartDimmension, 0);
    EXPECT_EQ(s.TimeLimit, 0.0f);
    EXPECT_EQ(s.MaxTension, 0.0f);
    EXPECT_EQ(s.MaxCharge, 0.0f);
    EXPECT_TRUE(s.FileName.empty());
}

TEST(SimState, GridsCoverTheWorstAlignedArea) {
    // The aligned right bound lies at most one cell beyond the last charged
    // pixel; Preparation reads the pixel column and row on the bound itself.
    for (int side : {1, 2, 4, 8, 16, 32}) {
        for (int left = 0; left < DrawingWidth; left += 7) {
            const int lastX = DrawingWidth - 1;
            const int right = ((lastX - left) / side + 1) * side + left;
            EXPECT_LT(right, GridColumns) << side << " " << left;
        }
        for (int top = 0; top < DrawingHeight; top += 5) {
            const int lastY = DrawingHeight - 1;
            const int bottom = ((lastY - top) / side + 1) * side + top;
            EXPECT_LT(bottom, GridRows) << side << " " << top;
        }
    }
    SimState s;
    EXPECT_EQ(s.Pixel(812, 500), 0);
    EXPECT_THROW(s.Pixel(GridColumns, 0), RunTimeError);
    EXPECT_THROW(s.Cell(0, GridRows), RunTimeError);
    EXPECT_THROW(s.Cell(-1, 0), RunTimeError);
}

TEST(SimState, ColourDecomposition) {
    const struct { std::int32_t colour; int charge; } cases[] = {
        {0xFF0000, 255},   // pure blue
        {0x0000FF, -255},  // pure red
        {0xFFFFFF, 0},     // white
        {0xFF00FF, 0},     // magenta
        {0x00FF00, 0},     // green
        {0xC8C8C8, 0},     // grey
        {0x800000, 128},   // blue 128
    };
    for (const auto& c : cases) EXPECT_EQ(ChargeOf(c.colour), c.charge) << std::hex << c.colour;
}

}  // namespace
}  // namespace tovik
