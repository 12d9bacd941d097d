#pragma once

#include <string>

#include "model/Ports.h"
#include "model/SimState.h"

namespace tovik {

class TensionEvaluator;

// The texts of the three read-outs under the pointer.
struct ProbeReading {
    std::string Ex;  // X component of the field
    std::string Ey;  // Y component of the field
    std::string Er;  // charge density of the cell under the pointer
};

// The point probe: the field and the cell's charge density at (x, y). An
// error in the field evaluation propagates; an error while finding the cell
// only makes the density read "0".
ProbeReading ReadProbe(const SimState& state, TensionEvaluator& field, float x, float y);

// The drawing-precision slider: DrawSpeed = 11 - position, stored at once.
void SetDrawSpeedFromSlider(SimState& state, int position, SettingsWriter& settings);

}  // namespace tovik
