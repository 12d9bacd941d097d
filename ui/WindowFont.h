#pragma once

#include <QFont>

namespace tovik {

// The font of the three windows' controls: Liberation Sans (the Debian
// package fonts-liberation2) at 11 pixels, 8 points on a 96-dpi screen.
// The windows place their controls in pixels, sized for a face with Arial's
// widths; Liberation Sans has them, so every caption fits its control.
// Where it is missing, the faces with the same widths come next, then the
// desktop's sans-serif face.
QFont DialogFont();

}  // namespace tovik
