#include "field/CellCharges.h"

#include <cmath>

namespace tovik {

bool CellCharges::Valid() const {
    constexpr int MaxExtent = 4096;
    return CellSide >= 1 && CellSide <= MaxCellSide && Columns >= 1 && Rows >= 1 && Width >= 1 &&
           Height >= 1 && Width <= MaxExtent && Height <= MaxExtent && Columns <= MaxExtent &&
           Rows <= MaxExtent && AreaLeft > -MaxExtent && AreaLeft < MaxExtent && AreaTop > -MaxExtent &&
           AreaTop < MaxExtent && Values.size() == static_cast<std::size_t>(Columns) * Rows;
}

CellCharges ChargesOf(const SimState& s, int width, int height) {
    const ChargeModel& m = s.Charges();
    CellCharges c;
    c.Width = width;
    c.Height = height;
    c.AreaLeft = m.AreaLeft;
    c.AreaTop = m.AreaTop;
    c.CellSide = s.CalcSpeed;
    const int nx = s.CalcSpeed >= 1 ? (m.AreaRight - m.AreaLeft) / s.CalcSpeed : -1;
    const int ny = s.CalcSpeed >= 1 ? (m.AreaBottom - m.AreaTop) / s.CalcSpeed : -1;
    if (nx < 0 || ny < 0 || nx >= GridColumns || ny >= GridRows) {
        c.CellSide = s.CalcSpeed >= 1 && s.CalcSpeed <= MaxCellSide ? s.CalcSpeed : 1;
        c.Values.assign(1, 0.0f);
        return c;
    }
    c.Columns = nx + 1;
    c.Rows = ny + 1;
    c.Values.resize(static_cast<std::size_t>(c.Columns) * c.Rows);
    for (int j = 0; j < c.Rows; ++j)
        for (int i = 0; i < c.Columns; ++i) c.Values[static_cast<std::size_t>(j) * c.Columns + i] = m.Cell(i, j);
    return c;
}

namespace {

// Calls term(q, dx, dy, d) for every cell of non-zero value that does not sit
// at the point.
template <typename Term>
void ForEachTerm(const CellCharges& c, double x, double y, Term term) {
    for (int j = 0; j < c.Rows; ++j) {
        const double dy = y - c.CentreY(j);
        for (int i = 0; i < c.Columns; ++i) {
            const double q = c.Values[static_cast<std::size_t>(j) * c.Columns + i];
            const double dx = x - c.CentreX(i);
            if (q == 0 || (dx == 0 && dy == 0)) continue;
            term(q, dx, dy, std::sqrt(dx * dx + dy * dy));
        }
    }
}

}  // namespace

double PotentialAt(const CellCharges& c, double x, double y) {
    double phi = 0;
    ForEachTerm(c, x, y, [&](double q, double, double, double d) { phi += q / d; });
    return phi;
}

FieldVector FieldAt(const CellCharges& c, double x, double y) {
    FieldVector e{0, 0};
    ForEachTerm(c, x, y, [&](double q, double dx, double dy, double d) {
        const double k = q / (d * d * d);
        e.X += dx * k;
        e.Y += dy * k;
    });
    return e;
}

}  // namespace tovik
