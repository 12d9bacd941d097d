#include "export/LineDataExport.h"

namespace tovik {

// Not available yet: the data of the lines are written by a writer of their
// own, which takes this place.
bool ExportLineData(const QString&, ExportFormat, const DrawnLines&, const LineDataHeader&, QString* error) {
    if (error) *error = QStringLiteral("Запись данных линий (JSON, CSV) пока недоступна.");
    return false;
}

}  // namespace tovik
