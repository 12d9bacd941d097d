#pragma once

#include <QImage>

#include "field/ColourMaps.h"
#include "field/FieldGrid.h"

namespace tovik {

// What of the whole field is shown over the picture.
struct FieldViewOptions {
    int equipotentials = 0;  // number of levels, 0 for none
    FieldMapKind map = FieldMapKind::None;

    bool Any() const { return equipotentials > 0 || map != FieldMapKind::None; }
};

// Paints the views of `grid` onto `image` (the drawing area as shown, before
// any field line): the map first, then the equipotential lines in one pixel
// without smoothing. Only pixels whose blue equals their red are painted,
// and every colour painted has blue equal to red, so the charge of the
// picture stays what it was.
void PaintFieldViews(QImage& image, const FieldGrid& grid, const FieldViewOptions& options);

}  // namespace tovik
