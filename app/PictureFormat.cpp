#include "app/PictureFormat.h"

#include <cstdint>
#include <cstdlib>

namespace tovik {

namespace {

std::uint32_t Byte(const QByteArray& d, qsizetype at) { return static_cast<unsigned char>(d[at]); }
std::uint32_t Le16(const QByteArray& d, qsizetype at) { return Byte(d, at) | (Byte(d, at + 1) << 8); }
std::uint32_t Le32(const QByteArray& d, qsizetype at) { return Le16(d, at) | (Le16(d, at + 2) << 16); }
std::uint32_t Be16(const QByteArray& d, qsizetype at) { return (Byte(d, at) << 8) | Byte(d, at + 1); }

bool BmpCutShort(const QByteArray& d) {
    if (d.size() < 18) return true;
    const qint64 size = d.size();
    const qint64 offBits = Le32(d, 10);
    const std::uint32_t infoSize = Le32(d, 14);
    qint64 width = 0, height = 0, bpp = 0;
    std::uint32_t compression = 0;
    if (infoSize == 12) {  // OS/2 core header
        if (size < 26) return true;
        width = Le16(d, 18);
        height = Le16(d, 20);
        bpp = Le16(d, 24);
    } else if (infoSize >= 40) {
        if (size < 14 + 40) return true;
        width = static_cast<std::int32_t>(Le32(d, 18));
        height = static_cast<std::int32_t>(Le32(d, 22));
        bpp = Le16(d, 28);
        compression = Le32(d, 30);
    } else {
        return false;
    }
    width = std::llabs(width);
    height = std::llabs(height);
    if (width > (1LL << 20) || height > (1LL << 20) || bpp > 64) return false;
    // Uncompressed rows (plain or with bit fields) have a known length.
    if (compression == 0 || compression == 3 || compression == 6) {
        const qint64 stride = (width * bpp + 31) / 32 * 4;
        return offBits + stride * height > size;
    }
    // Run-length data: trust the sizes the headers give, where they give one.
    const qint64 fileSize = Le32(d, 2);
    const qint64 imageSize = infoSize >= 40 ? Le32(d, 34) : 0;
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
        const qsizetype length = Be16(d, pos);
        if (length < 2 || pos + length > d.size()) return true;
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

bool GifCutShort(const QByteArray& d) {
    if (d.size() < 13) return true;
    qsizetype pos = 13;
    const std::uint32_t flags = Byte(d, 10);
    if (flags & 0x80) pos += 3 * (qsizetype{2} << (flags & 7));
    for (;;) {
        if (pos >= d.size()) return true;
        const std::uint32_t block = Byte(d, pos++);
        if (block == 0x21) {  // extension: label, then data sub-blocks
            ++pos;
            if (!GifSubBlocksEnd(d, &pos)) return true;
        } else if (block == 0x2C) {  // the first image: it must be whole
            if (pos + 9 > d.size()) return true;
            const std::uint32_t imageFlags = Byte(d, pos + 8);
            pos += 9;
            if (imageFlags & 0x80) pos += 3 * (qsizetype{2} << (imageFlags & 7));
            ++pos;  // minimum code size
            return !GifSubBlocksEnd(d, &pos);
        } else {
            return false;  // trailer or damage: the reader decides
        }
    }
}

}  // namespace

PictureKind SniffPicture(const QByteArray& d) {
    if (d.size() >= 2 && d[0] == 'B' && d[1] == 'M') return PictureKind::Bmp;
    if (d.size() >= 3 && Byte(d, 0) == 0xFF && Byte(d, 1) == 0xD8 && Byte(d, 2) == 0xFF)
        return PictureKind::Jpeg;
    if (d.startsWith("GIF87a") || d.startsWith("GIF89a")) return PictureKind::Gif;
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

}  // namespace tovik
