#pragma once

#include <cstdint>
#include <string>

#include "model/ChargeModel.h"

namespace tovik {

// The one simulation state of the process: the user parameters and the
// charge model of the last Preparation.
struct SimState {
    // Published by every Preparation; empty until the first one, and again
    // after a new picture is opened.
    ChargeModelPtr Model = EmptyChargeModel();

    std::int32_t CalcSpeed = 0;
    std::int16_t DrawSpeed = 0;
    float TimeLimit = 0;
    float MaxTension = 0;
    std::int32_t PartDimmension = 0;
    float MaxCharge = 0;
    std::string FileName;

    const ChargeModel& Charges() const { return *Model; }
};

}  // namespace tovik
