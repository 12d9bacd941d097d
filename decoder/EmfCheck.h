#pragma once

#include <string>
#include <vector>

namespace tovik::metafile {

// True when the records of an enhanced metafile can be handed to libemf2svg:
// they tile the file up to its declared end, every one passes libUEMF's own
// checks of the offsets and counts it holds, and the texts of the header's
// description end inside the file. libemf2svg reads all of them without
// looking. On false, a short reason.
bool EmfRecordsSafe(const std::vector<unsigned char>& data, std::string* error);

}  // namespace tovik::metafile
