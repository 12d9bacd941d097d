#pragma once

#include "field/LineTracer.h"
#include "field/Tension.h"
#include "model/SimState.h"

namespace tovik {

// Everything a branch's course depends on besides its start: the field (one
// charge model at one cell side) and the parameters. Two branches with equal
// inputs from the same point give the same points to the last bit.
struct LineInputs {
    TensionEvaluator field;
    TraceParameters parameters;

    bool operator==(const LineInputs& o) const {
        return field.CellsPtr() == o.field.CellsPtr() && parameters == o.parameters;
    }
};

}  // namespace tovik
