// Fuzz target: tovik's reading of the decoder's answer, garbled, short or
// announcing a huge picture.

#include <cstdint>
#include <cstdlib>

#include "picture/DecoderAnswer.h"
#include "picture/RasterFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tovik;
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QImage img;
    const bool parsed = ParseRaster(bytes, &img);
    const bool tooLong = AnswerTooLong(bytes);
    if (parsed) {
        // A well-formed answer is never cut off while it is read, and its
        // picture is within the limits.
        if (tooLong || img.isNull() || !metafile::PictureSizeAllowed(img.width(), img.height())) std::abort();
        for (qsizetype n = 0; n < bytes.size(); ++n)
            if (AnswerTooLong(bytes.left(n))) std::abort();
    } else if (!img.isNull()) {
        std::abort();
    }
    return 0;
}
