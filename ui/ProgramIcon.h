#pragma once

#include <QPixmap>

namespace tovik {

// The program's 32 x 32 icon: a positive (blue) and a negative (red) charge
// joined by white field lines on black, the colours the program itself uses.
QPixmap ProgramIcon();

}  // namespace tovik
