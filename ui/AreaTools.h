#pragma once

#include <QString>

namespace tovik {

class PictureArea;
struct SimState;

// "Средний заряд": frames the charged area and shows its mean cell charge.
void ShowAverageCharge(PictureArea& area, const SimState& state);
// "Очистка" and "Очистка поля": erase every drawing on the picture.
void ClearField(PictureArea& area);
// Writes `text` into Label5, centres it on the charged area, shows it and
// repaints it at once.
void ShowMeanLabel(PictureArea& area, const SimState& state, const QString& text);

}  // namespace tovik
