#pragma once

#include <string>
#include <vector>

#include "picture/RasterFormat.h"

namespace tovik::metafile {

// True when the bytes begin like a Windows metafile (placeable or not).
bool LooksLikeWmf(const std::vector<unsigned char>& data);

// Renders a Windows metafile through libwmf at 96 dots per inch into a raster
// of the metafile's declared size; what the metafile does not paint stays
// transparent. On failure returns false with a short reason.
bool RenderWmf(const std::vector<unsigned char>& data, Raster* out, std::string* error);

}  // namespace tovik::metafile
