#pragma once

#include <QImage>

#include "model/Ports.h"

namespace tovik {

// The drawing area as the picture area shows a loaded picture: 781 x 469
// pixels (RGB32) of black with the picture unscaled at the top-left corner,
// cut off where it is larger, its transparent parts showing the black.
QImage ComposeDrawingArea(const QImage& picture);

// The pixels of an RGB32 image as Preparation reads them.
PixelView PixelsOf(const QImage& image);

}  // namespace tovik
