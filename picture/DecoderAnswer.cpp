#include "picture/DecoderAnswer.h"

#include <cstring>

#include "picture/RasterFormat.h"

namespace tovik {

qint64 AnnouncedAnswerLength(const QByteArray& bytes) {
    using namespace metafile;
    if (static_cast<std::size_t>(bytes.size()) < kRasterHeaderSize) return 0;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    if (std::memcmp(p, kRasterMagic, sizeof kRasterMagic) != 0) return 0;
    const std::uint32_t w = GetLe32(p + 8), h = GetLe32(p + 12);
    if (!PictureSizeAllowed(w, h)) return 0;
    return static_cast<qint64>(kRasterHeaderSize) + static_cast<qint64>(w) * h * 4;
}

bool ParseRaster(const QByteArray& bytes, QImage* out) {
    using namespace metafile;
    const qint64 length = AnnouncedAnswerLength(bytes);
    if (length == 0 || bytes.size() != length) return false;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const std::uint32_t w = GetLe32(p + 8), h = GetLe32(p + 12);
    const unsigned char* pixels = p + kRasterHeaderSize;
    const auto pixelBytes = static_cast<std::size_t>(length) - kRasterHeaderSize;
    if (RasterChecksum(pixels, pixelBytes) != GetLe64(p + 16)) return false;
    QImage img(static_cast<int>(w), static_cast<int>(h), QImage::Format_ARGB32);
    if (img.isNull()) return false;
    for (int y = 0; y < img.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        const unsigned char* row = pixels + static_cast<qint64>(y) * w * 4;
        for (int x = 0; x < img.width(); ++x) line[x] = GetLe32(row + 4 * x);
    }
    *out = img;
    return true;
}

bool AnswerTooLong(const QByteArray& bytes) {
    if (static_cast<std::size_t>(bytes.size()) < metafile::kRasterHeaderSize) return false;
    const qint64 length = AnnouncedAnswerLength(bytes);
    return length == 0 || bytes.size() > length;
}

}  // namespace tovik
