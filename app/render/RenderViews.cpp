#include "app/render/RenderViews.h"

#include <algorithm>
#include <cmath>
#include <exception>

#include "field/CellCharges.h"
#include "field/Equipotentials.h"
#include "field/FieldGridSolver.h"
#include "model/NumberText.h"

namespace tovik {

FieldSummary AddFieldViews(const SimState& state, QImage& image, const FieldViewOptions& options,
                           std::shared_ptr<const FieldGrid>* kept) {
    FieldSummary s;
    FieldGrid grid;
    try {
        FieldGridSolver solver;
        grid = solver.Solve(ChargesOf(state, image.width(), image.height()));
    } catch (const std::exception& e) {
        s.problem = e.what();
        return s;
    }
    s.solved = true;
    s.clamped = grid.Clamped;
    const auto [lo, hi] = std::minmax_element(grid.Potential.begin(), grid.Potential.end());
    s.potentialMin = *lo;
    s.potentialMax = *hi;
    s.fieldMin = s.fieldMax = std::hypot(grid.Ex[0], grid.Ey[0]);
    for (std::size_t k = 0; k < grid.Ex.size(); ++k) {
        const double e = std::hypot(grid.Ex[k], grid.Ey[k]);
        s.fieldMin = std::min(s.fieldMin, e);
        s.fieldMax = std::max(s.fieldMax, e);
    }
    if (options.equipotentials > 0) s.levels = EquipotentialLevels(grid, options.equipotentials);
    PaintFieldViews(image, grid, options);
    if (kept) *kept = std::make_shared<const FieldGrid>(std::move(grid));
    return s;
}

std::string SummaryLine(const FieldSummary& s) {
    if (!s.solved) return "field: not computed (" + s.problem + ")";
    return "field: potential from " + DoubleToText(s.potentialMin) + " to " + DoubleToText(s.potentialMax) +
           ", |E| from " + DoubleToText(s.fieldMin) + " to " + DoubleToText(s.fieldMax) + ", " +
           std::to_string(s.clamped) + " values clamped";
}

std::string PotentialText(const SimState& state, float x, float y) {
    const double phi = PotentialAt(ChargesOf(state), x, y);
    return std::isfinite(phi) ? DoubleToText(phi) : "0";
}

}  // namespace tovik
