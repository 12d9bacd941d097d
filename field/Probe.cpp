#include "field/Probe.h"

#include "field/Tension.h"
#include "model/Checked.h"
#include "model/NumberText.h"

namespace tovik {

using namespace checked;

namespace {

std::string DensityText(const ChargeModel& s, std::int32_t calcSpeed, float x, float y) {
    try {
        const std::int32_t dx = Round32(static_cast<double>(x - static_cast<float>(s.AreaLeft)));
        const std::int32_t dy = Round32(static_cast<double>(y - static_cast<float>(s.AreaTop)));
        const std::int32_t i = Div32(dx, calcSpeed);
        const std::int32_t j = Div32(dy, calcSpeed);
        // The cells a Preparation can fill.
        Index(i, GridColumns);
        Index(j, GridRows);
        const double area = Mul32(calcSpeed, calcSpeed);
        return DoubleToText(Divide(s.Cell(i, j), area));
    } catch (const RunTimeError&) {
        return "0";
    }
}

}  // namespace

ProbeReading ReadProbe(const TensionEvaluator& field, float x, float y) {
    const FieldVector e = field.GetTension(x, y);
    ProbeReading r;
    r.Ex = DoubleToText(e.X);
    r.Ey = DoubleToText(e.Y);
    r.Er = DensityText(field.Cells().Model(), field.Cells().Side(), x, y);
    return r;
}

std::int16_t DrawSpeedForPosition(int position) { return Narrow16(Sub32(11, position)); }

}  // namespace tovik
