#include "export/LineDataHeader.h"

#include <cstdlib>

namespace tovik {

LineDataHeader LineDataHeaderOf(const SimState& state) {
    LineDataHeader h;
    h.cellSide = state.CalcSpeed;
    h.step = std::abs(int{state.DrawSpeed});  // its sign is only the direction of the branch drawn last
    h.maxTension = state.MaxTension;
    h.timeLimit = state.TimeLimit;
    h.maxCharge = state.MaxCharge;
    return h;
}

}  // namespace tovik
