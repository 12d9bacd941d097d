#include "decoder/Decoder.h"

#include <QBuffer>
#include <QImageReader>
#include <vector>

#include "decoder/EmfCheck.h"
#include "decoder/EmfRenderer.h"
#include "decoder/WmfRenderer.h"

namespace tovik::metafile {

namespace {

// Qt's readers refuse to allocate more than this many megabytes for one image:
// the largest picture allowed at 16 bits a channel (a PNG) needs 256.
constexpr int kAllocationLimitMb = 256;

int Refuse(int status, const char* why, std::string* reason) {
    *reason = why;
    return status;
}

int DecodeRaster(PictureKind kind, const QByteArray& data, QImage* out, std::string* reason) {
    if (PictureCutShort(kind, data)) return Refuse(kExitCutShort, "the file is cut short", reason);
    qint64 width = 0, height = 0;
    if (!DeclaredPictureSize(kind, data, &width, &height))
        return Refuse(kExitRefused, "the headers are damaged", reason);
    if (width < 1 || height < 1) return Refuse(kExitRefused, "the picture is empty", reason);
    if (!PictureSizeAllowed(width, height)) return Refuse(kExitTooLarge, kTooLargeReason, reason);
    if (kind == PictureKind::Jpeg && JpegScanCount(data) > AllowedJpegScans(width * height))
        return Refuse(kExitRefused, "too many scans", reason);

    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, KindName(kind));
    reader.setAutoDetectImageFormat(false);  // this format's reader and no other
    reader.setAllocationLimit(kAllocationLimitMb);
    const QSize announced = reader.size();
    if (announced.isValid() && !PictureSizeAllowed(std::abs(announced.width()), std::abs(announced.height())))
        return Refuse(kExitTooLarge, kTooLargeReason, reason);
    QImage img = reader.read();
    if (img.isNull()) return Refuse(kExitRefused, "the reader cannot decode the picture", reason);
    if (!PictureSizeAllowed(img.width(), img.height())) return Refuse(kExitTooLarge, kTooLargeReason, reason);
    *out = img.convertToFormat(QImage::Format_ARGB32);
    return out->isNull() ? Refuse(kExitRefused, "out of memory", reason) : 0;
}

}  // namespace

int DecodeBytes(PictureKind kind, const QByteArray& data, DecodedPicture* out, std::string* reason) {
    if (data.isEmpty()) return Refuse(kExitRefused, "the file is empty", reason);
    if (kind == PictureKind::Other || SniffPicture(data) != kind)
        return Refuse(kExitRefused, "not a picture of that kind", reason);
    if (kind != PictureKind::Wmf && kind != PictureKind::Emf) return DecodeRaster(kind, data, &out->image, reason);
    const std::vector<unsigned char> bytes(data.begin(), data.end());
    if (kind == PictureKind::Emf && !EmfRecordsSafe(bytes, reason)) return kExitRefused;
    const bool drawn = kind == PictureKind::Emf ? RenderEmf(bytes, &out->raster, reason)
                                                : RenderWmf(bytes, &out->raster, reason);
    if (drawn) return 0;
    return *reason == kTooLargeReason ? kExitTooLarge : kExitRefused;
}

}  // namespace tovik::metafile
