#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

#include "model/SimState.h"

namespace tovik {

// What the lines of a data export were drawn with: the run's parameters,
// the picture they were drawn on and the equipotential levels shown with
// them.
struct LineDataHeader {
    std::int32_t cellSide = 0;  // side of a charge cell in pixels
    int step = 0;               // length of a tracing step in pixels
    float maxTension = 0;
    float timeLimit = 0;        // seconds a branch
    long stepLimit = 0;         // steps a branch instead of the time limit; 0: none
    std::optional<std::uint32_t> seed;  // of the random points of "Пуск", when known
    float maxCharge = 0;
    int width = 0;              // of the picture, in pixels
    int height = 0;
    QString picture;            // the picture's file name, without its folder
    std::vector<double> levels; // equipotential levels; empty when none are shown
};

// The header's parameters as they stand in `state`; the rest is left empty.
LineDataHeader LineDataHeaderOf(const SimState& state);

}  // namespace tovik
