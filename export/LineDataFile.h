#pragma once

#include <QByteArray>
#include <QString>

#include "export/ExportFormat.h"
#include "export/LineDataWriter.h"
#include "picture/AtomicFile.h"

namespace tovik {

// Writes the lines as JSON or CSV (`format`) to the file `nativePath` (the
// name as the file system has it, byte for byte), in full or not at all:
// a failed write (a full disk, a file-size limit, no permission) leaves an
// existing file as it was and no temporary file behind, and only a regular
// file is written (NotRegular for a folder, a FIFO, a device). Any other
// format is Failed without touching the file system.
AtomicFile::Outcome WriteLineDataFile(const QByteArray& nativePath, ExportFormat format, const DrawnLines& lines,
                                      const LineDataHeader& header, const ExportProgress& progress = {});

// The same for the window: false with a message for the user that names the
// file when the lines cannot be written.
bool ExportLineData(const QString& path, ExportFormat format, const DrawnLines& lines, const LineDataHeader& header,
                    QString* error, const ExportProgress& progress = {});

}  // namespace tovik
