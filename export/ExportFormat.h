#pragma once

#include <QString>
#include <functional>
#include <optional>

namespace tovik {

// The formats the lines and the field are handed out in: vector pictures
// (SVG, PDF), a raster picture (PNG), and the data of the lines (JSON, CSV).
enum class ExportFormat { Svg, Pdf, Png, Json, Csv };

// Told how far writing a file has come, in units of the writer's choosing.
using ExportProgress = std::function<void(long done, long total)>;

// The format a file name's extension asks for, in any case; none for any
// other name.
std::optional<ExportFormat> ExportFormatOfName(const QString& path);

// The extension of a format, without the dot: "svg", "pdf", ...
QString ExportExtension(ExportFormat format);

}  // namespace tovik
