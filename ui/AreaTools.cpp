#include "ui/AreaTools.h"

#include <QLabel>

#include "model/CellMean.h"
#include "model/Checked.h"
#include "model/SimState.h"
#include "model/NumberText.h"
#include "ui/MainWindow.h"
#include "ui/PictureArea.h"

namespace tovik {

void ShowAverageCharge(MainWindow& window) {
    const SimState& s = window.state();
    PictureArea& area = *window.pctMain;

    const std::int16_t h = checked::Sub16(s.AreaBottom, s.AreaTop);
    const std::int16_t w = checked::Sub16(s.AreaRight, s.AreaLeft);
    area.setOptCalcGeometry(s.AreaLeft, s.AreaTop, w, h);
    area.optCalc()->show();

    // The mean is shown unrounded, as the mean charge per cell.
    QLabel& label = *area.label5();
    label.setText(QString::fromStdString(DoubleToText(MeanCellCharge(s))));
    label.adjustSize();
    const float left = CentredLabelPosition(s.AreaLeft, s.AreaRight, static_cast<float>(label.width()));
    const float top = CentredLabelPosition(s.AreaTop, s.AreaBottom, static_cast<float>(label.height()));
    area.moveLabel5(left, top);
    label.show();
    label.repaint();
}

void ClearField(MainWindow& window) { window.pctMain->clearDrawings(); }

}  // namespace tovik
