#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

#include "drawing/DrawnLines.h"
#include "export/ExportFormat.h"

namespace tovik {

// The parameters the lines were drawn with, written ahead of them.
struct LineDataHeader {
    int cell = 0;
    int step = 0;
    double maxField = 0;
    double timeLimit = 0;
    long maxSteps = 0;
    std::optional<std::uint32_t> seed;
    std::vector<double> equipotentialLevels;
};

// Writes the lines drawn as JSON or CSV to `path`, in full or not at all;
// on failure false and a message for the user.
bool ExportLineData(const QString& path, ExportFormat format, const DrawnLines& lines, const LineDataHeader& header,
                    QString* error);

}  // namespace tovik
