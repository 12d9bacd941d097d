#pragma once

#include <QByteArray>
#include <functional>

#include "export/ExportFormat.h"
#include "export/ExportScene.h"
#include "picture/AtomicFile.h"

namespace tovik {

// How writing a file ended: the file's own outcomes.
using ExportOutcome = AtomicFile::Outcome;

// Writes the scene as an SVG, PDF or PNG picture (any other format fails)
// to the file the name `nativePath` names byte for byte, in full or not at
// all: a failure at any step leaves an existing file as it was and no
// temporary file behind. A target that is no regular file is refused
// (NotRegular). The field lines are written a run at a time, so that memory
// stays bounded however many there are; `progress` may be empty.
ExportOutcome WritePictureExport(const ExportScene& scene, ExportFormat format, const QByteArray& nativePath,
                                 const ExportProgress& progress);

}  // namespace tovik
