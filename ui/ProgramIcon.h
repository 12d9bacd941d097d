#pragma once

#include <QPixmap>

class QPainter;

namespace tovik {

// The program's 32 x 32 icon: a positive (blue) and a negative (red) charge
// joined by white field lines on black, the colours the program itself uses.
QPixmap ProgramIcon();

// Paints that icon into the square (0, 0)-(32, 32) of the painter's
// coordinates; scale the painter for other sizes. The installed icons (the
// PNG files and the SVG drawing) are made with it too.
void PaintProgramIcon(QPainter& p);

}  // namespace tovik
