#include "model/SimState.h"

namespace tovik {

SimState::SimState()
    : PixelColor(static_cast<std::size_t>(GridColumns) * GridRows, 0),
      ChargeDensity(static_cast<std::size_t>(GridColumns) * GridRows, 0.0f) {}

}  // namespace tovik
