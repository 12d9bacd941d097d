#pragma once

#include <string>
#include <vector>

#include "picture/RasterFormat.h"

namespace tovik::metafile {

// True when the bytes begin with an enhanced-metafile header record.
bool LooksLikeEmf(const std::vector<unsigned char>& data);

// Renders an enhanced metafile (libemf2svg, then Qt SVG) at 96 dots per inch
// into a raster of the size of its declared frame; what the metafile does not
// paint stays transparent. Needs a QGuiApplication. On failure returns false
// with a short reason.
bool RenderEmf(const std::vector<unsigned char>& data, Raster* out, std::string* error);

}  // namespace tovik::metafile
