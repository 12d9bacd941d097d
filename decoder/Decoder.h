#pragma once

#include <QByteArray>
#include <QImage>
#include <string>

#include "picture/PictureFormat.h"
#include "picture/RasterFormat.h"

namespace tovik::metafile {

// A decoded picture: raster formats fill the image (32-bit ARGB, alpha not
// premultiplied), metafiles the raster.
struct DecodedPicture {
    QImage image;
    Raster raster;
};

// No progressive JPEG needs more scans than this; hundreds of them only make
// the decoder pass over the whole picture again and again. Every scan costs
// a pass over the picture, so a large picture may have fewer: scans times
// pixels stay within kJpegScanPixels (20 scans at the largest size allowed,
// where encoders write about 10).
inline constexpr int kMaxJpegScans = 500;
inline constexpr std::int64_t kJpegScanPixels = 20 * kMaxPicturePixels;

// The scans a JPEG of that many pixels may have.
inline int AllowedJpegScans(std::int64_t pixels) {
    return pixels <= kJpegScanPixels / kMaxJpegScans ? kMaxJpegScans : static_cast<int>(kJpegScanPixels / pixels);
}

// Decodes the bytes of one picture file as the given kind and no other: bytes
// of another kind are refused. Raster files are checked before decoding:
// whole, of an allowed declared size, and for JPEG with a sane number of
// scans. Returns 0 with the picture, or an exit status of RasterFormat.h with
// a short reason. An EMF needs a QGuiApplication.
int DecodeBytes(PictureKind kind, const QByteArray& data, DecodedPicture* out, std::string* reason);

}  // namespace tovik::metafile
