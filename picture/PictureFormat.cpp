#include "picture/PictureFormat.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace tovik {

namespace {

std::uint32_t Byte(const QByteArray& d, qsizetype at) { return static_cast<unsigned char>(d[at]); }
std::uint32_t Le16(const QByteArray& d, qsizetype at) { return Byte(d, at) | (Byte(d, at + 1) << 8); }
std::uint32_t Le32(const QByteArray& d, qsizetype at) { return Le16(d, at) | (Le16(d, at + 2) << 16); }
std::uint32_t Be16(const QByteArray& d, qsizetype at) { return (Byte(d, at) << 8) | Byte(d, at + 1); }
std::uint32_t Be32(const QByteArray& d, qsizetype at) { return (Be16(d, at) << 16) | Be16(d, at + 2); }

constexpr char kPngSignature[] = "\x89PNG\r\n\x1a\n";

// Where a BMP's width and height stand, and its information header's size.
struct BmpHeader {
    std::uint32_t infoSize = 0;
    qint64 width = 0, height = 0;  // as stored: a negative height is a top-down picture
    qint64 bpp = 0;
    std::uint32_t compression = 0;
};

// False when the data are too short to hold the headers, or the information
// header is of no size a reader knows.
bool ReadBmpHeader(const QByteArray& d, BmpHeader* h) {
    if (d.size() < 18) return false;
    h->infoSize = Le32(d, 14);
    if (h->infoSize == 12) {  // OS/2 core header
        if (d.size() < 26) return false;
        h->width = Le16(d, 18);
        h->height = Le16(d, 20);
        h->bpp = Le16(d, 24);
        return true;
    }
    if (h->infoSize < 40 || d.size() < 14 + 40) return false;
    h->width = static_cast<std::int32_t>(Le32(d, 18));
    h->height = static_cast<std::int32_t>(Le32(d, 22));
    h->bpp = Le16(d, 28);
    h->compression = Le32(d, 30);
    return true;
}

bool BmpCutShort(const QByteArray& d) {
    if (d.size() < 18) return true;
    const qint64 size = d.size();
    const qint64 offBits = Le32(d, 10);
    BmpHeader h;
    if (!ReadBmpHeader(d, &h)) return h.infoSize == 12 || h.infoSize >= 40;
    const qint64 width = std::llabs(h.width);
    const qint64 height = std::llabs(h.height);
    if (width > (1LL << 20) || height > (1LL << 20) || h.bpp > 64) return false;
    // Uncompressed rows (plain or with bit fields) have a known length.
    if (h.compression == 0 || h.compression == 3 || h.compression == 6) {
        const qint64 stride = (width * h.bpp + 31) / 32 * 4;
        return offBits + stride * height > size;
    }
    // Run-length data: trust the sizes the headers give, where they give one.
    const qint64 fileSize = Le32(d, 2);
    const qint64 imageSize = h.infoSize >= 40 ? Le32(d, 34) : 0;
    return (fileSize != 0 && fileSize > size) || (imageSize != 0 && offBits + imageSize > size);
}

bool JpegCutShort(const QByteArray& d) {
    qsizetype pos = 2;  // after the start-of-image marker
    for (;;) {
        while (pos < d.size() && Byte(d, pos) != 0xFF) ++pos;  // tolerate junk between segments
        while (pos < d.size() && Byte(d, pos) == 0xFF) ++pos;
        if (pos >= d.size()) return true;
        const std::uint32_t marker = Byte(d, pos++);
        if (marker == 0xD9) return false;  // end of image
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) continue;
        if (pos + 2 > d.size()) return true;
        const qsizetype length = std::max<qsizetype>(Be16(d, pos), 2);  // as WalkJpeg
        if (pos + length > d.size()) return true;
        pos += length;
        if (marker == 0xDA) {
            // Entropy-coded data follows; inside it 0xFF is always followed
            // by 0x00 or a restart marker, so the end-of-image marker can
            // only be the real one.
            for (qsizetype i = pos; i + 1 < d.size(); ++i)
                if (Byte(d, i) == 0xFF && Byte(d, i + 1) == 0xD9) return false;
            return true;
        }
    }
}

bool GifSubBlocksEnd(const QByteArray& d, qsizetype* pos) {
    for (;;) {
        if (*pos >= d.size()) return false;
        const std::uint32_t n = Byte(d, (*pos)++);
        if (n == 0) return true;
        *pos += n;
    }
}

// The offset just after the first image descriptor's separator; -1 when the
// data end before it, -2 when a trailer or damage comes first.
qsizetype GifFirstImage(const QByteArray& d) {
    qsizetype pos = 13;
    const std::uint32_t flags = Byte(d, 10);
    if (flags & 0x80) pos += 3 * (qsizetype{2} << (flags & 7));
    for (;;) {
        if (pos >= d.size()) return -1;
        const std::uint32_t block = Byte(d, pos++);
        if (block == 0x2C) return pos;
        if (block != 0x21) return -2;
        ++pos;  // extension: label, then data sub-blocks
        if (!GifSubBlocksEnd(d, &pos)) return -1;
    }
}

bool GifCutShort(const QByteArray& d) {
    if (d.size() < 13) return true;
    qsizetype pos = GifFirstImage(d);
    if (pos < 0) return pos == -1;  // a trailer or damage: the reader decides
    // The first image must be whole.
    if (pos + 9 > d.size()) return true;
    const std::uint32_t imageFlags = Byte(d, pos + 8);
    pos += 9;
    if (imageFlags & 0x80) pos += 3 * (qsizetype{2} << (imageFlags & 7));
    ++pos;  // minimum code size
    return !GifSubBlocksEnd(d, &pos);
}

// Calls visit(marker, at, length) for every marker segment of a JPEG file (at:
// the offset of its length field) until visit returns false, the
// end-of-image marker, or the end of the data. Entropy-coded data are passed
// over: inside them 0xFF is always followed by 0x00 or a restart marker.
// Segments are found as libjpeg finds them, so that none it reads is missed:
// after each segment it looks for the next marker byte by byte, and a
// segment whose length is below 2 it takes as one without data.
template <typename Visit>
void WalkJpeg(const QByteArray& d, Visit visit) {
    qsizetype pos = 2;
    for (;;) {
        while (pos < d.size() && Byte(d, pos) != 0xFF) ++pos;
        while (pos < d.size() && Byte(d, pos) == 0xFF) ++pos;
        if (pos >= d.size()) return;
        const std::uint32_t marker = Byte(d, pos++);
        if (marker == 0xD9) return;
        if (marker == 0x00 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) continue;
        if (pos + 2 > d.size()) return;
        const qsizetype length = std::max<qsizetype>(Be16(d, pos), 2);
        if (pos + length > d.size()) return;
        if (!visit(marker, pos, length)) return;
        pos += length;
    }
}

bool IsStartOfFrame(std::uint32_t marker) {
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

}  // namespace

PictureKind SniffPicture(const QByteArray& d) {
    if (d.size() >= 2 && d[0] == 'B' && d[1] == 'M') return PictureKind::Bmp;
    if (d.size() >= 3 && Byte(d, 0) == 0xFF && Byte(d, 1) == 0xD8 && Byte(d, 2) == 0xFF)
        return PictureKind::Jpeg;
    if (d.startsWith("GIF87a") || d.startsWith("GIF89a")) return PictureKind::Gif;
    if (d.startsWith(QByteArrayView(kPngSignature, 8))) return PictureKind::Png;
    if (d.size() >= 44 && Le32(d, 0) == 1 && Le32(d, 40) == 0x464D4520u) return PictureKind::Emf;
    if (d.size() >= 4 && Le32(d, 0) == 0x9AC6CDD7u) return PictureKind::Wmf;
    if (d.size() >= 18) {
        const std::uint32_t type = Le16(d, 0), headerWords = Le16(d, 2), version = Le16(d, 4);
        if ((type == 1 || type == 2) && headerWords == 9 && (version == 0x0100 || version == 0x0300))
            return PictureKind::Wmf;
    }
    return PictureKind::Other;
}

bool PictureCutShort(PictureKind kind, const QByteArray& data) {
    switch (kind) {
        case PictureKind::Bmp: return BmpCutShort(data);
        case PictureKind::Jpeg: return JpegCutShort(data);
        case PictureKind::Gif: return GifCutShort(data);
        default: return false;
    }
}

namespace {

constexpr struct {
    PictureKind kind;
    const char* name;
} kKindNames[] = {
    {PictureKind::Bmp, "bmp"}, {PictureKind::Jpeg, "jpeg"}, {PictureKind::Gif, "gif"},
    {PictureKind::Png, "png"}, {PictureKind::Wmf, "wmf"},   {PictureKind::Emf, "emf"},
};

}  // namespace

const char* KindName(PictureKind kind) {
    for (const auto& k : kKindNames)
        if (k.kind == kind) return k.name;
    return nullptr;
}

PictureKind KindNamed(const char* name) {
    for (const auto& k : kKindNames)
        if (name && std::strcmp(k.name, name) == 0) return k.kind;
    return PictureKind::Other;
}

bool DeclaredPictureSize(PictureKind kind, const QByteArray& d, qint64* width, qint64* height) {
    switch (kind) {
        case PictureKind::Bmp: {
            BmpHeader h;
            if (!ReadBmpHeader(d, &h)) return false;
            *width = std::llabs(h.width);
            *height = std::llabs(h.height);
            return true;
        }
        case PictureKind::Jpeg: {
            bool found = false;
            WalkJpeg(d, [&](std::uint32_t marker, qsizetype at, qsizetype length) {
                if (!IsStartOfFrame(marker)) return true;
                if (length >= 7) {
                    *height = Be16(d, at + 3);
                    *width = Be16(d, at + 5);
                    found = true;
                }
                return false;
            });
            return found;
        }
        case PictureKind::Gif: {
            if (d.size() < 13) return false;
            const qsizetype at = GifFirstImage(d);
            if (at < 0 || at + 8 > d.size()) return false;
            *width = std::max<qint64>(Le16(d, 6), qint64{Le16(d, at)} + Le16(d, at + 4));
            *height = std::max<qint64>(Le16(d, 8), qint64{Le16(d, at + 2)} + Le16(d, at + 6));
            return true;
        }
        case PictureKind::Png:
            if (d.size() < 24 || d.mid(12, 4) != "IHDR") return false;
            *width = Be32(d, 16);
            *height = Be32(d, 20);
            return true;
        default:
            return false;
    }
}

int JpegScanCount(const QByteArray& d) {
    int scans = 0;
    WalkJpeg(d, [&scans](std::uint32_t marker, qsizetype, qsizetype) {
        if (marker == 0xDA) ++scans;
        return true;
    });
    return scans;
}

}  // namespace tovik
