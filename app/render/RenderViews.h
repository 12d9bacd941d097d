#pragma once

#include <QImage>
#include <memory>
#include <string>
#include <vector>

#include "model/SimState.h"
#include "picture/FieldViewPainter.h"

namespace tovik {

// The whole field of a prepared picture in the renderer: its ranges for the
// summary, and its views painted under the field lines.
struct FieldSummary {
    bool solved = false;
    double potentialMin = 0, potentialMax = 0;
    double fieldMin = 0, fieldMax = 0;  // |E|
    long clamped = 0;
    std::string problem;  // why there is no field, when not solved
    std::vector<double> levels;  // of the equipotential lines drawn, when any
};

// Solves the potential and the field on every pixel of `image` from the
// cells of `state`, and paints the views of `options` onto `image`. The
// field is kept in `grid` when one is given.
FieldSummary AddFieldViews(const SimState& state, QImage& image, const FieldViewOptions& options,
                           std::shared_ptr<const FieldGrid>* grid = nullptr);

// The summary's line: "field: potential from A to B, |E| from C to D, N values clamped".
std::string SummaryLine(const FieldSummary& summary);

// The potential at (x, y) by the direct sum, as text.
std::string PotentialText(const SimState& state, float x, float y);

}  // namespace tovik
