#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "field/CellCharges.h"
#include "field/ColourMaps.h"
#include "field/Equipotentials.h"
#include "field/FieldGridSolver.h"

namespace tovik {
namespace {

// Cells of the given side over the whole drawing area, all empty.
CellCharges EmptyCells(int side) {
    CellCharges c;
    c.CellSide = side;
    c.Columns = (DrawingWidth - 1) / side + 1;
    c.Rows = (DrawingHeight - 1) / side + 1;
    c.Values.assign(static_cast<std::size_t>(c.Columns) * c.Rows, 0.0f);
    return c;
}

// A point charge's equipotential at q / r is a circle of radius r about the
// cell's centre, to within half a pixel, wherever the centre sits on the
// pixels (between them with one-pixel cells, on one with even sides).
TEST(Equipotentials, PointChargeContoursAreCircles) {
    struct Case {
        int side, i, j;
    };
    FieldGridSolver solver;
    for (const Case& k : {Case{1, 390, 234}, Case{8, 48, 29}, Case{3, 100, 60}}) {
        CellCharges c = EmptyCells(k.side);
        const float q = 5000;
        c.Values[static_cast<std::size_t>(k.j) * c.Columns + k.i] = q;
        const FieldGrid g = solver.Solve(c);
        for (const double r : {4.0, 12.5, 60.0, 200.0, 420.0}) {
            SCOPED_TRACE("side " + std::to_string(k.side) + ", radius " + std::to_string(r));
            const auto contours = TraceContours(g, q / r);
            ASSERT_FALSE(contours.empty());
            std::size_t points = 0, loops = 0;
            for (const Contour& line : contours) {
                const double d0 = std::hypot(line[0].x - c.CentreX(k.i), line[0].y - c.CentreY(k.j));
                // The pixel at the centre skips the cell: potential 0, and a
                // ring within a pixel of it.
                if (d0 < 1) continue;
                ++loops;
                for (const ContourPoint& p : line) {
                    EXPECT_NEAR(std::hypot(p.x - c.CentreX(k.i), p.y - c.CentreY(k.j)), r, 0.5);
                    ++points;
                }
            }
            // A circle inside the picture is one closed line.
            if (c.CentreY(k.j) + r < DrawingHeight - 1 && c.CentreY(k.j) - r > 0) {
                EXPECT_EQ(loops, 1u);
                EXPECT_EQ(contours[0].front().x, contours[0].back().x);
                EXPECT_GT(points, static_cast<std::size_t>(4 * r));
            }
        }
    }
}

// Two opposite charges mirrored about a vertical line: the potential is
// antisymmetric about it, its levels are symmetric about 0, and the level 0
// runs along the line.
TEST(Equipotentials, DipolePotentialIsAntisymmetric) {
    FieldGridSolver solver;
    for (const int side : {1, 2, 4, 8, 16, 32}) {
        SCOPED_TRACE("side " + std::to_string(side));
        CellCharges c = EmptyCells(side);
        const int j = c.Rows / 2, i0 = c.Columns / 4;
        int i1 = c.Columns - 1 - i0;
        if (c.CentreX(i0) + c.CentreX(i1) != 2 * std::floor((c.CentreX(i0) + c.CentreX(i1)) / 2)) --i1;
        c.Values[static_cast<std::size_t>(j) * c.Columns + i0] = 1000.0f * side * side;
        c.Values[static_cast<std::size_t>(j) * c.Columns + i1] = -1000.0f * side * side;
        const double axis = (c.CentreX(i0) + c.CentreX(i1)) / 2;
        ASSERT_EQ(axis, std::floor(axis));
        const FieldGrid g = solver.Solve(c);
        const double top = *std::max_element(g.Potential.begin(), g.Potential.end());
        double worst = 0;
        for (int y = 0; y < DrawingHeight; ++y)
            for (int d = 0; axis + d < DrawingWidth && axis - d >= 0; ++d) {
                const int a = static_cast<int>(axis) - d, b = static_cast<int>(axis) + d;
                worst = std::max(worst, std::abs(g.Potential[g.At(a, y)] + g.Potential[g.At(b, y)]));
            }
        EXPECT_LE(worst, 1e-9 * top);

        const std::vector<double> levels = EquipotentialLevels(g, 9);
        ASSERT_EQ(levels.size(), 9u);
        for (std::size_t k = 0; k < levels.size(); ++k) EXPECT_EQ(levels[k], -levels[levels.size() - 1 - k]);
        std::size_t onAxis = 0;
        for (const Contour& line : TraceContours(g, 0.0)) {
            // Not the rings about the pixels at the centres, where the sum skips the cell.
            if (std::abs(line[0].x - axis) > DrawingWidth / 8) continue;
            for (const ContourPoint& p : line) EXPECT_NEAR(p.x, axis, 1e-6);
            onAxis += line.size();
        }
        EXPECT_GE(onAxis, static_cast<std::size_t>(DrawingHeight));
    }
}

// Whatever the field, the colours carry no charge, 0 sits in the middle of
// the potential's scale, and a picture without charge has no contours and a
// flat map.
TEST(Equipotentials, ColoursAreNeutralAndAnEmptyPictureIsFlat) {
    for (const Palette* p : {&FieldStrengthPalette(), &PotentialPalette()})
        for (const std::int32_t colour : *p) EXPECT_EQ(colour & 0xFF, (colour >> 16) & 0xFF);
    for (const FieldMapKind kind : {FieldMapKind::None, FieldMapKind::Field, FieldMapKind::Potential})
        EXPECT_EQ(EquipotentialColour(kind) & 0xFF, (EquipotentialColour(kind) >> 16) & 0xFF);

    FieldGridSolver solver;
    const FieldGrid flat = solver.Solve(EmptyCells(8));
    EXPECT_TRUE(EquipotentialLevels(flat, 12).empty());
    for (const auto& [kind, index] : {std::pair{FieldMapKind::Field, 0}, std::pair{FieldMapKind::Potential, 128}}) {
        const auto indices = MapIndices(flat, kind);
        EXPECT_TRUE(std::all_of(indices.begin(), indices.end(), [&](std::uint8_t v) { return v == index; }));
    }
}

}  // namespace
}  // namespace tovik
