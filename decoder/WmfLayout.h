#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tovik::metafile {

inline constexpr std::uint16_t kMapModeText = 1;
inline constexpr std::uint16_t kMapModeIsotropic = 7;
inline constexpr std::uint16_t kMapModeAnisotropic = 8;

// What the headers and the leading records of a Windows metafile say about
// the picture's frame: the placeable bounding box, and the mapping mode and
// window in force when the first drawing record is met.
struct WmfLayout {
    bool placeable = false;
    std::int16_t left = 0, top = 0, right = 0, bottom = 0;  // placeable box, logical units
    std::uint16_t inch = 0;                                 // logical units per inch
    std::size_t header = 0;        // offset of the standard header
    std::size_t records = 0;       // offset of the first record
    std::size_t firstDrawing = 0;  // the first drawing record, the end record, or the end
    std::uint32_t maxRecordWords = 0;
    std::uint16_t mapMode = kMapModeText;
    bool windowOrgSet = false;
    bool windowExtSet = false;
    std::int64_t orgX = 0, orgY = 0, extX = 0, extY = 0;
};

// True when a standard metafile header starts at the offset.
bool WmfHeaderAt(const std::vector<unsigned char>& data, std::size_t at);

// Reads the layout; refuses headers that declare an empty picture or a record
// larger than the file, and records that run past its end.
bool ReadWmfLayout(const std::vector<unsigned char>& data, WmfLayout* layout, std::string* error);

std::uint16_t ReadLe16(const std::vector<unsigned char>& d, std::size_t at);
std::int16_t ReadLeS16(const std::vector<unsigned char>& d, std::size_t at);
std::uint32_t ReadLe32(const std::vector<unsigned char>& d, std::size_t at);

}  // namespace tovik::metafile
