#pragma once

#include <vector>

#include "field/FieldGrid.h"

namespace tovik {

struct ContourPoint {
    double x = 0;
    double y = 0;
};
// A contour line through sub-pixel points; closed when its last point is its
// first.
using Contour = std::vector<ContourPoint>;

// `count` levels of the potential, symmetric about 0: 0 itself when count is
// odd, and count / 2 magnitudes of each sign, spaced evenly on a logarithmic
// scale between the 5th and the 99.5th percentile of |phi| over the picture,
// so that lines run through both the weak and the strong parts of the field.
// A picture without potential gets no level.
std::vector<double> EquipotentialLevels(const FieldGrid& grid, int count);

// The contours of the potential at `level` by marching squares over the
// pixel grid: a line crosses the edge between two neighbouring pixels where
// the linear interpolation of their values meets the level; a saddle cell
// is resolved by the mean of its corners. Pieces are joined into lines.
std::vector<Contour> TraceContours(const FieldGrid& grid, double level);

}  // namespace tovik
