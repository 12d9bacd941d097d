// Fuzz target: the decoder's EMF path (record checks, libemf2svg, Qt SVG), as
// tovik-decoder runs it for a file sniffed as EMF.

#include <QGuiApplication>
#include <cstdint>

#include "decoder/Decoder.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tovik;
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    metafile::DecodedPicture picture;
    std::string reason;
    metafile::DecodeBytes(PictureKind::Emf, bytes, &picture, &reason);
    return 0;
}
