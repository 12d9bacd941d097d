#include "ui/AreaTools.h"

#include <QLabel>

#include "model/CellMean.h"
#include "model/Checked.h"
#include "model/NumberText.h"
#include "model/SimState.h"
#include "ui/PictureArea.h"

namespace tovik {

namespace {

// Position that centres a label of the given size on the span from a to b of
// the area's bounds: ((a + b) - size) / 2, the sum of the bounds formed as a
// 16-bit integer and the rest in single precision.
float CentredPosition(std::int16_t a, std::int16_t b, float size) {
    return checked::ToSingle((static_cast<float>(checked::Add16(a, b)) - size) / 2.0f);
}

}  // namespace

void ShowAverageCharge(PictureArea& area, const SimState& state) {
    const ChargeModel& s = state.Charges();
    const std::int16_t h = checked::Sub16(s.AreaBottom, s.AreaTop);
    const std::int16_t w = checked::Sub16(s.AreaRight, s.AreaLeft);
    area.setOptCalcGeometry(s.AreaLeft, s.AreaTop, w, h);
    area.optCalc()->show();
    // The mean is shown unrounded, as the mean charge per cell.
    ShowMeanLabel(area, state, QString::fromStdString(DoubleToText(MeanCellCharge(s, state.CalcSpeed))));
}

void ShowMeanLabel(PictureArea& area, const SimState& state, const QString& text) {
    const ChargeModel& s = state.Charges();
    QLabel& label = *area.label5();
    label.setText(text);
    label.adjustSize();
    const float left = CentredPosition(s.AreaLeft, s.AreaRight, static_cast<float>(label.width()));
    const float top = CentredPosition(s.AreaTop, s.AreaBottom, static_cast<float>(label.height()));
    area.moveLabel5(left, top);
    label.show();
    label.repaint();
}

void ClearField(PictureArea& area) { area.clearDrawings(); }

}  // namespace tovik
