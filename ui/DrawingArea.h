#pragma once

#include <QImage>

namespace tovik {

// The drawing area as the picture area shows a loaded picture: 781 x 469
// pixels (RGB32) of black with the picture unscaled at the top-left corner,
// cut off where it is larger, its transparent parts showing the black.
QImage ComposeDrawingArea(const QImage& picture);

}  // namespace tovik
