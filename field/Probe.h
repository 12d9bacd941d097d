#pragma once

#include <cstdint>
#include <string>

#include "field/Tension.h"

namespace tovik {

// The texts of the three read-outs under the pointer.
struct ProbeReading {
    std::string Ex;  // X component of the field
    std::string Ey;  // Y component of the field
    std::string Er;  // charge density of the cell under the pointer
};

// The point probe: the field and the cell's charge density at (x, y), of the
// field's model at the field's cell side. An error in the field evaluation
// propagates; an error while finding the cell only makes the density read
// "0".
ProbeReading ReadProbe(const TensionEvaluator& field, float x, float y);

// The step of the drawing-precision slider's position: DrawSpeed = 11 - p.
std::int16_t DrawSpeedForPosition(int position);

}  // namespace tovik
