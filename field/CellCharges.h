#pragma once

#include <vector>

#include "field/Geometry.h"
#include "model/SimState.h"

namespace tovik {

// The charge model as the whole-field solver takes it: the cell values of
// one Preparation and where the cells lie on the picture. Cell (i, j) holds
// Values[j * Columns + i] and its charge sits at its centre,
// (AreaLeft + CellSide / 2 + i * CellSide, AreaTop + CellSide / 2 + j * CellSide).
struct CellCharges {
    std::vector<float> Values;  // row-major, Columns x Rows
    int Columns = 1;            // nx + 1
    int Rows = 1;               // ny + 1
    int AreaLeft = 0;
    int AreaTop = 0;
    int CellSide = 1;
    int Width = DrawingWidth;  // size of the picture whose pixels get the field
    int Height = DrawingHeight;

    // Whether the description can be solved: a side of 1 to 32 pixels, a
    // value for every cell, a picture of 1 to 4096 pixels a side, a cell
    // lattice no larger than the picture's extent allows.
    bool Valid() const;
    double CentreX(int i) const { return (CellSide / 2.0 + AreaLeft) + static_cast<double>(i) * CellSide; }
    double CentreY(int j) const { return (CellSide / 2.0 + AreaTop) + static_cast<double>(j) * CellSide; }
};

// The cells i = 0..nx, j = 0..ny that the last Preparation left in the state.
// An area whose bounds give no cell (nx or ny negative, a side below 1) gives
// one empty cell.
CellCharges ChargesOf(const SimState& s, int width = DrawingWidth, int height = DrawingHeight);

// Direct sums over every cell, for single points and as the measure of the
// solver: the potential sum of q / |P - C| and the field sum of
// q (P - C) / |P - C|^3, in the units of the field at a point; a point at a
// cell's centre skips that cell. No pixel colour is looked up.
double PotentialAt(const CellCharges& c, double x, double y);
FieldVector FieldAt(const CellCharges& c, double x, double y);

}  // namespace tovik
