#include "decoder/WmfLayout.h"

#include <algorithm>
#include <iterator>

namespace tovik::metafile {

namespace {

constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7u;
constexpr std::size_t kPlaceableSize = 22;
constexpr std::size_t kStandardHeaderSize = 18;

constexpr std::uint16_t kSetMapMode = 0x0103;
constexpr std::uint16_t kSetWindowOrg = 0x020B;
constexpr std::uint16_t kSetWindowExt = 0x020C;
constexpr std::uint16_t kOffsetWindowOrg = 0x020F;
constexpr std::uint16_t kScaleWindowExt = 0x0410;

// Record functions that put something on the page. The window that frames
// the picture is the one in force when the first of them is met.
constexpr std::uint16_t kDrawingRecords[] = {
    0x0213, 0x041B, 0x0418, 0x0324, 0x0325, 0x0538, 0x0817, 0x081A, 0x0830, 0x061C,
    0x061D, 0x0521, 0x0A32, 0x0922, 0x0B23, 0x0940, 0x0B41, 0x0F43, 0x0D33, 0x041F,
    0x0419, 0x0548, 0x0228, 0x0429, 0x012A, 0x012B,
};

bool IsDrawing(std::uint16_t function) {
    return std::find(std::begin(kDrawingRecords), std::end(kDrawingRecords), function) !=
           std::end(kDrawingRecords);
}

}  // namespace

std::uint16_t ReadLe16(const std::vector<unsigned char>& d, std::size_t at) {
    return static_cast<std::uint16_t>(d[at] | (d[at + 1] << 8));
}
std::int16_t ReadLeS16(const std::vector<unsigned char>& d, std::size_t at) {
    return static_cast<std::int16_t>(ReadLe16(d, at));
}
std::uint32_t ReadLe32(const std::vector<unsigned char>& d, std::size_t at) {
    return static_cast<std::uint32_t>(ReadLe16(d, at)) | (static_cast<std::uint32_t>(ReadLe16(d, at + 2)) << 16);
}

bool WmfHeaderAt(const std::vector<unsigned char>& d, std::size_t at) {
    if (d.size() < at + kStandardHeaderSize) return false;
    const std::uint16_t type = ReadLe16(d, at);
    const std::uint16_t headerWords = ReadLe16(d, at + 2);
    const std::uint16_t version = ReadLe16(d, at + 4);
    return (type == 1 || type == 2) && headerWords == 9 && (version == 0x0100 || version == 0x0300);
}

bool ReadWmfLayout(const std::vector<unsigned char>& d, WmfLayout* l, std::string* error) {
    if (d.size() >= kPlaceableSize && ReadLe32(d, 0) == kPlaceableKey) {
        l->placeable = true;
        l->left = ReadLeS16(d, 6);
        l->top = ReadLeS16(d, 8);
        l->right = ReadLeS16(d, 10);
        l->bottom = ReadLeS16(d, 12);
        l->inch = ReadLe16(d, 14);
        l->header = kPlaceableSize;
        if (l->inch == 0 || l->left == l->right || l->top == l->bottom) {
            *error = "the placeable header declares an empty picture";
            return false;
        }
    }
    if (!WmfHeaderAt(d, l->header)) {
        *error = "no metafile header";
        return false;
    }
    l->records = l->header + kStandardHeaderSize;
    l->maxRecordWords = ReadLe32(d, l->header + 12);
    // libwmf allocates the largest record up front: it cannot be larger
    // than the file.
    if (l->maxRecordWords > (d.size() - l->records) / 2) {
        *error = "the header declares a record larger than the file";
        return false;
    }
    std::size_t pos = l->records;
    l->firstDrawing = d.size();
    while (pos + 6 <= d.size()) {
        const std::uint32_t words = ReadLe32(d, pos);
        const std::uint16_t function = ReadLe16(d, pos + 4);
        if (words < 3 || words > (d.size() - pos) / 2) {
            *error = "a record runs past the end of the file";
            return false;
        }
        if (function == 0 || IsDrawing(function)) {
            l->firstDrawing = pos;
            break;
        }
        const std::size_t params = words - 3;
        const std::size_t p = pos + 6;
        if (function == kSetMapMode && params >= 1) {
            l->mapMode = ReadLe16(d, p);
        } else if ((function == kSetWindowOrg || function == kSetWindowExt || function == kOffsetWindowOrg) &&
            params >= 2) {
            const std::int64_t y = ReadLeS16(d, p), x = ReadLeS16(d, p + 2);
            if (function == kSetWindowOrg) {
                l->orgX = x;
                l->orgY = y;
                l->windowOrgSet = true;
            } else if (function == kSetWindowExt) {
                l->extX = x;
                l->extY = y;
                l->windowExtSet = true;
            } else {
                l->orgX += x;
                l->orgY += y;
            }
        } else if (function == kScaleWindowExt && params >= 4 && l->windowExtSet) {
            const std::int64_t yDen = ReadLeS16(d, p), yNum = ReadLeS16(d, p + 2);
            const std::int64_t xDen = ReadLeS16(d, p + 4), xNum = ReadLeS16(d, p + 6);
            if (xDen != 0 && yDen != 0) {
                l->extX = l->extX * xNum / xDen;
                l->extY = l->extY * yNum / yDen;
            }
        }
        pos += static_cast<std::size_t>(words) * 2;
    }
    return true;
}

}  // namespace tovik::metafile
