#include "model/CellMean.h"

#include "model/Checked.h"

namespace tovik {

using namespace checked;

double MeanCellCharge(const ChargeModel& s, std::int32_t calcSpeed) {
    const std::int32_t ny = Div32(Sub16(s.AreaBottom, s.AreaTop), calcSpeed);
    std::int32_t count = 0;
    float sum = 0;
    for (std::int32_t j = 0; j <= ny; ++j) {
        const std::int32_t nx = Div32(Sub16(s.AreaRight, s.AreaLeft), calcSpeed);
        for (std::int32_t i = 0; i <= nx; ++i) {
            count = Add32(count, 1);
            sum = ToSingle(static_cast<double>(sum) + s.Cell(i, j));
        }
    }
    return Divide(sum, count);
}

}  // namespace tovik
