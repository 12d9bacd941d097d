#pragma once

#include <QIODevice>

#include "drawing/DrawnLines.h"
#include "export/ExportFormat.h"
#include "export/LineDataHeader.h"

namespace tovik {

// The lines as JSON (data/tovik-lines.schema.json describes it): the
// header, then every line with its start point and its branches, each with
// its step (whose sign is its direction), why it ended and its points in the
// order drawn. Numbers are written in the shortest form that reads back to
// the same single (coordinates, parameters) or double (levels) value, bit for
// bit. The text is streamed; false when a write to the device failed.
bool WriteLinesJson(QIODevice& device, const DrawnLines& lines, const LineDataHeader& header,
                    const ExportProgress& progress = {});

// The lines as CSV: the header row "line,branch,step,x,y,Ex,Ey", then one
// row per point: the line and the branch counted from 1, the point's step
// counted from 0 (the start point), its coordinates, and the field there from
// the branch's own field. Where the field cannot be evaluated (a run-time
// error such as an overflow) Ex and Ey are left empty. False when a write to
// the device failed.
bool WriteLinesCsv(QIODevice& device, const DrawnLines& lines, const ExportProgress& progress = {});

}  // namespace tovik
