#pragma once

#include <string>
#include <vector>

#include "app/render/RenderOptions.h"
#include "drawing/DrawnLines.h"
#include "export/LineDataHeader.h"

namespace tovik {

// What the files of --json, --csv, ... are made of.
struct RenderExportInputs {
    const DrawnLines& lines;
    LineDataHeader header;
};

// Before the run: whether every file asked for can be written at all (its
// folder exists and takes new files, and it is a regular file or none).
// Nothing is created. False with the reason for the first that cannot.
bool CheckExportTargets(const std::vector<RenderExport>& exports, std::string* problem);

// Writes every file asked for, each in full or not at all, with a progress
// bar on standard error when `showProgress`. False with the reason for the
// first that cannot be written; those before it stay written.
bool WriteExports(const std::vector<RenderExport>& exports, const RenderExportInputs& inputs, bool showProgress,
                  std::string* problem);

}  // namespace tovik
