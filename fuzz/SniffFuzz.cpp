// Fuzz target: telling a picture's format from its first bytes, and the
// checks made on the whole file before decoding (cut short, declared size,
// JPEG scans).

#include <cstdint>
#include <cstdlib>

#include "picture/PictureFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tovik;
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    // tovik sniffs the first bytes, the decoder the whole file: they agree.
    const PictureKind kind = SniffPicture(bytes);
    if (SniffPicture(bytes.left(kSniffBytes)) != kind) std::abort();
    if (KindName(kind) && KindNamed(KindName(kind)) != kind) std::abort();
    for (const PictureKind k : {PictureKind::Bmp, PictureKind::Jpeg, PictureKind::Gif, PictureKind::Png}) {
        PictureCutShort(k, bytes);
        qint64 width = -1, height = -1;
        if (DeclaredPictureSize(k, bytes, &width, &height) && (width < 0 || height < 0)) std::abort();
    }
    if (JpegScanCount(bytes) < 0) std::abort();
    return 0;
}
