#include "export/ExportFormat.h"

namespace tovik {

namespace {

constexpr ExportFormat Formats[] = {ExportFormat::Svg, ExportFormat::Pdf, ExportFormat::Png, ExportFormat::Json,
                                    ExportFormat::Csv};

}  // namespace

QString ExportExtension(ExportFormat format) {
    switch (format) {
    case ExportFormat::Svg: return QStringLiteral("svg");
    case ExportFormat::Pdf: return QStringLiteral("pdf");
    case ExportFormat::Png: return QStringLiteral("png");
    case ExportFormat::Json: return QStringLiteral("json");
    case ExportFormat::Csv: return QStringLiteral("csv");
    }
    return {};
}

std::optional<ExportFormat> ExportFormatOfName(const QString& path) {
    for (const ExportFormat f : Formats)
        if (path.endsWith(QLatin1Char('.') + ExportExtension(f), Qt::CaseInsensitive)) return f;
    return std::nullopt;
}

}  // namespace tovik
