#pragma once

namespace tovik {

class MainWindow;

// "Средний заряд": frames the charged area and shows its mean cell charge.
void ShowAverageCharge(MainWindow& window);
// "Очистка" and "Очистка поля": erase every drawing on the picture.
void ClearField(MainWindow& window);

}  // namespace tovik
