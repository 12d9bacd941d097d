// Fuzz target: the decoder's WMF path (layout checks, then libwmf under its
// allocation budget), as tovik-decoder runs it for a file sniffed as WMF.

#include <cstdint>

#include "decoder/Decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tovik;
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    metafile::DecodedPicture picture;
    std::string reason;
    metafile::DecodeBytes(PictureKind::Wmf, bytes, &picture, &reason);
    return 0;
}
