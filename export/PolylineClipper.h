#pragma once

#include <QPointF>
#include <QRectF>
#include <vector>

namespace tovik {

// The pieces of a polyline that may show within `area`: the runs of its
// segments whose bounds meet the area, each run with both ends of every
// segment in it, so that what shows is drawn exactly as the whole line
// would draw it. Segments wholly outside are left out. A single point is
// kept when it lies inside.
std::vector<std::vector<QPointF>> ClippedPieces(const std::vector<QPointF>& line, const QRectF& area);

}  // namespace tovik
