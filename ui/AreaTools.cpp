#include "ui/AreaTools.h"

#include "ui/MainWindow.h"
#include "ui/PictureArea.h"

namespace tovik {

void ShowAverageCharge(MainWindow&) {}

void ClearField(MainWindow& window) { window.pctMain->clearDrawings(); }

}  // namespace tovik
