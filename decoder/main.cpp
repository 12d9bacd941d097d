// tovik-decoder: decodes one picture file (BMP, JPEG, GIF, PNG, WMF or EMF)
// and writes the picture to standard output as a checked raster (see
// RasterFormat.h). tovik never decodes a picture itself: it runs this program
// once per file, under memory, CPU-time and wall-clock limits, so that a
// hostile file cannot take the program and the user's drawing down with it,
// nor hold it up for long.
//
// Usage: tovik-decoder KIND FILE, where KIND (bmp, jpeg, gif, png, wmf, emf)
// is the format tovik told from the file's first bytes; the file is read as
// that format and no other.
// Exit status: 0 with the raster on standard output, else one of the
// statuses of RasterFormat.h. Reasons go to standard error.

#include <QGuiApplication>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "picture/PictureFormat.h"
#include "decoder/Decoder.h"
#include "picture/RasterFormat.h"

namespace {

using namespace tovik::metafile;

// Raster files larger than this are not read: an uncompressed BMP of the
// largest picture allowed fits easily.
constexpr qint64 kMaxRasterFileBytes = 256LL * 1024 * 1024;

int Fail(int status, const std::string& reason) {
    std::fprintf(stderr, "tovik-decoder: %s\n", reason.c_str());
    return status;
}

bool ReadWholeFile(const char* path, qint64 limit, QByteArray* data, std::string* error) {
    // Opened without waiting: a FIFO put in the file's place cannot block.
    const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        *error = std::string("cannot open the file: ") + std::strerror(errno);
        return false;
    }
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    if (!ok) *error = "not a regular file";
    if (ok && st.st_size > limit) {
        *error = kTooLargeReason;
        ok = false;
    }
    char buffer[65536];
    while (ok) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0) break;
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 || data->size() + n > limit) {
            *error = n < 0 ? "cannot read the file" : kTooLargeReason;
            ok = false;
            break;
        }
        data->append(buffer, n);
    }
    ::close(fd);
    return ok;
}

// Writes the header and then the rows, each as 0xAARRGGBB values.
template <typename Row>
bool WriteRaster(std::uint32_t width, std::uint32_t height, Row row) {
    std::vector<unsigned char> bytes(static_cast<std::size_t>(width) * 4);
    std::uint64_t checksum = 0xcbf29ce484222325ULL;
    for (std::uint32_t y = 0; y < height; ++y) {
        const std::uint32_t* pixels = row(y);
        for (std::uint32_t x = 0; x < width; ++x) PutLe32(bytes.data() + 4 * x, pixels[x]);
        for (const unsigned char c : bytes) {
            checksum ^= c;
            checksum *= 0x100000001b3ULL;
        }
    }
    const auto header = RasterHeader(width, height, checksum);
    if (std::fwrite(header.data(), 1, header.size(), stdout) != header.size()) return false;
    for (std::uint32_t y = 0; y < height; ++y) {
        const std::uint32_t* pixels = row(y);
        for (std::uint32_t x = 0; x < width; ++x) PutLe32(bytes.data() + 4 * x, pixels[x]);
        if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size()) return false;
    }
    return std::fflush(stdout) == 0;
}

bool WritePicture(const DecodedPicture& p) {
    if (!p.image.isNull()) {
        const QImage& img = p.image;
        return WriteRaster(static_cast<std::uint32_t>(img.width()), static_cast<std::uint32_t>(img.height()),
                           [&img](std::uint32_t y) {
                               return reinterpret_cast<const std::uint32_t*>(img.constScanLine(static_cast<int>(y)));
                           });
    }
    const Raster& r = p.raster;
    return WriteRaster(r.width, r.height, [&r](std::uint32_t y) { return r.pixels.data() + std::size_t{y} * r.width; });
}

}  // namespace

int main(int argc, char** argv) {
    const tovik::PictureKind kind = argc == 3 ? tovik::KindNamed(argv[1]) : tovik::PictureKind::Other;
    if (kind == tovik::PictureKind::Other) return Fail(kExitUsage, "usage: tovik-decoder bmp|jpeg|gif|png|wmf|emf FILE");
    const bool metafile = kind == tovik::PictureKind::Wmf || kind == tovik::PictureKind::Emf;
    QByteArray data;
    std::string error;
    if (!ReadWholeFile(argv[2], metafile ? kMaxMetafileBytes : kMaxRasterFileBytes, &data, &error))
        return Fail(error == kTooLargeReason ? kExitTooLarge : kExitUnreadable, error);

    DecodedPicture picture;
    int status = 0;
    if (kind == tovik::PictureKind::Emf) {
        // Qt draws the converted picture, fonts included; it never shows a
        // window.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        int qtArgc = 1;
        QGuiApplication app(qtArgc, argv);
        status = DecodeBytes(kind, data, &picture, &error);
    } else {
        status = DecodeBytes(kind, data, &picture, &error);
    }
    if (status != 0) return Fail(status, error);
    data = QByteArray();
    static char out[1 << 20];
    std::setvbuf(stdout, out, _IOFBF, sizeof out);
    if (!WritePicture(picture)) return Fail(kExitWriteFailed, "cannot write the picture");
    return 0;
}
