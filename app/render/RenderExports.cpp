#include "app/render/RenderExports.h"

#include <cstdio>

#include "app/render/TerminalBar.h"
#include "export/LineDataFile.h"
#include "picture/AtomicFile.h"
#include "picture/FileName.h"

namespace tovik {

namespace {

std::string Contents(ExportFormat format) {
    switch (format) {
    case ExportFormat::Json: return "the lines as JSON";
    case ExportFormat::Csv: return "the lines as CSV";
    default: break;
    }
    return "the " + ExportExtension(format).toUpper().toStdString() + " file";
}

std::string Problem(const RenderExport& e, AtomicFile::Outcome outcome) {
    const std::string file = "'" + ShownFileName(QByteArray::fromStdString(e.path)).toStdString() + "'";
    if (outcome == AtomicFile::Outcome::NotRegular)
        return "cannot write " + Contents(e.format) + " to " + file +
               ": it is a folder, a FIFO or a device, not a regular file";
    return "cannot write " + Contents(e.format) + " to " + file +
           ": the write failed (no such folder, no permission, or the disk is full)";
}

}  // namespace

bool CheckExportTargets(const std::vector<RenderExport>& exports, std::string* problem) {
    for (const RenderExport& e : exports) {
        AtomicFile probe(QByteArray::fromStdString(e.path));  // its temporary file goes with it
        const AtomicFile::Outcome outcome = probe.Open();
        if (outcome != AtomicFile::Outcome::Written) {
            *problem = Problem(e, outcome);
            return false;
        }
    }
    return true;
}

bool WriteExports(const std::vector<RenderExport>& exports, const RenderExportInputs& inputs, bool showProgress,
                  std::string* problem) {
    for (const RenderExport& e : exports) {
        TerminalBar bar("points to " + ShownFileName(QByteArray::fromStdString(e.path)).toStdString());
        ExportProgress progress;
        if (showProgress) progress = [&bar](long done, long total) { bar.Show(done, total); };
        const AtomicFile::Outcome outcome =
            WriteLineDataFile(QByteArray::fromStdString(e.path), e.format, inputs.lines, inputs.header, progress);
        if (outcome != AtomicFile::Outcome::Written) {
            if (showProgress) std::fputc('\n', stderr);  // the message goes below the bar
            *problem = Problem(e, outcome);
            return false;
        }
    }
    return true;
}

}  // namespace tovik
