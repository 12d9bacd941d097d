// tovik-decoder: decodes one picture file (BMP, JPEG, GIF, PNG, WMF or EMF)
// and writes the picture to standard output as a checked raster (see
// RasterFormat.h). tovik never decodes a picture itself: it runs this program
// once per file, under memory, CPU-time and wall-clock limits, so that a
// hostile file cannot take the program and the user's drawing down with it,
// nor hold it up for long. Before it reads a byte of the file the program
// confines itself (Confinement.h): whatever a damaged file makes a library
// do, it can write no file and start no process.
//
// Usage: tovik-decoder KIND [FILE], where KIND (bmp, jpeg, gif, png, wmf,
// emf) is the format tovik told from the file's first bytes; the file is read
// as that format and no other. Without FILE the picture is standard input
// (a regular file), as tovik hands it over.
// Exit status: 0 with the raster on standard output, else one of the
// statuses of RasterFormat.h. Reasons go to standard error.
//
// For tests, "--attempt write=PATH", "--attempt fork" or "--attempt exec"
// before KIND makes the confined decoder try that first: a refused attempt
// ends it as a failed decode (killed, or with kExitRefused); one that were
// allowed would go on to decode the picture as usual.

#include <QBuffer>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImageReader>
#include <QSemaphore>
#include <QThreadPool>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <malloc.h>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "picture/PictureFormat.h"
#include "decoder/Confinement.h"
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

// Reads standard input, which must be a regular file of at most limit bytes.
bool ReadInput(qint64 limit, QByteArray* data, std::string* error) {
    struct stat st {};
    if (::fstat(STDIN_FILENO, &st) != 0 || !S_ISREG(st.st_mode)) {
        *error = "not a regular file";
        return false;
    }
    if (st.st_size > limit) {
        *error = kTooLargeReason;
        return false;
    }
    data->reserve(static_cast<qsizetype>(st.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n == 0) return true;
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 || data->size() + n > limit) {
            *error = n < 0 ? "cannot read the file" : kTooLargeReason;
            return false;
        }
        data->append(buffer, n);
    }
}

// Puts the named file in the place of standard input; opened without
// waiting, so that a FIFO put in the file's place cannot block.
bool OpenAsInput(const char* path, std::string* error) {
    const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0 || ::dup2(fd, STDIN_FILENO) < 0) {
        *error = std::string("cannot open the file: ") + std::strerror(errno);
        return false;
    }
    ::close(fd);
    return true;
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

// Loads the reader of a raster kind (a Qt plugin for some) while files may
// still be opened.
void LoadReader(tovik::PictureKind kind) {
    QBuffer empty;
    empty.open(QIODevice::ReadOnly);
    QImageReader reader(&empty, tovik::KindName(kind));
    reader.setAutoDetectImageFormat(false);
    (void)reader.canRead();
}

// The test attempts of the usage above. False when the attempt was refused.
bool Attempt(const std::string& what, std::vector<char*> args) {
    if (what.rfind("write=", 0) == 0) {
        const int fd = ::open(what.c_str() + 6, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (fd < 0) return false;
        ::close(fd);
        return true;
    }
    if (what == "fork") {
        const pid_t child = ::fork();
        if (child == 0) ::_exit(0);
        return child > 0;
    }
    if (what == "exec") {
        args.push_back(nullptr);
        ::execv("/proc/self/exe", args.data());  // decodes as usual, if it runs at all
    }
    return false;
}

// Reads, decodes and answers; returns the exit status.
int DecodeInput(tovik::PictureKind kind) {
    const bool metafile = kind == tovik::PictureKind::Wmf || kind == tovik::PictureKind::Emf;
    QByteArray data;
    std::string error;
    if (!ReadInput(metafile ? kMaxMetafileBytes : kMaxRasterFileBytes, &data, &error))
        return Fail(error == kTooLargeReason ? kExitTooLarge : kExitUnreadable, error);
    DecodedPicture picture;
    const int status = DecodeBytes(kind, data, &picture, &error);
    if (status != 0) return Fail(status, error);
    data = QByteArray();
    if (!WritePicture(picture)) return Fail(kExitWriteFailed, "cannot write the picture");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    // One malloc arena for all threads: the per-thread arenas of glibc open
    // a file under /proc when they shrink, which the confined decoder may not.
    mallopt(M_ARENA_MAX, 1);
    // Past the zero file-size limit a write fails (EFBIG) instead of ending
    // the decoder: standard error may be a file.
    std::signal(SIGXFSZ, SIG_IGN);
    CloseInheritedFiles();
    std::string attempt;
    std::vector<char*> plainArgs = {argv[0]};  // the arguments without the attempt
    int first = 1;
    if (argc > 2 && std::strcmp(argv[1], "--attempt") == 0) {
        attempt = argv[2];
        first = 3;
    }
    for (int i = first; i < argc; ++i) plainArgs.push_back(argv[i]);
    const int left = argc - first;
    const tovik::PictureKind kind = left == 1 || left == 2 ? tovik::KindNamed(argv[first]) : tovik::PictureKind::Other;
    if (kind == tovik::PictureKind::Other)
        return Fail(kExitUsage, "usage: tovik-decoder bmp|jpeg|gif|png|wmf|emf [FILE]");
    std::string error;
    if (left == 2 && !OpenAsInput(argv[first + 1], &error)) return Fail(kExitUnreadable, error);

    // All that needs files, plugins or new threads comes first. Regular
    // expressions (Qt's SVG reader uses them) are not compiled into code:
    // the confined decoder may map no executable memory.
    qputenv("QT_ENABLE_REGEXP_JIT", "0");
    const bool metafile = kind == tovik::PictureKind::Wmf || kind == tovik::PictureKind::Emf;
    std::optional<QGuiApplication> app;
    int qtArgc = 1;
    if (kind == tovik::PictureKind::Emf) {
        // Qt draws the converted picture, fonts included; it never shows a
        // window.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app.emplace(qtArgc, argv);
        (void)QFontDatabase::families();
    }
    if (!metafile) LoadReader(kind);
    static char out[1 << 20];
    std::setvbuf(stdout, out, _IOFBF, sizeof out);
    // The picture is decoded on a thread of Qt's pool, started now: Qt's
    // image functions then do their work on that thread instead of starting
    // others, which the confined process cannot.
    QSemaphore running, confined;
    int status = kExitRefused;
    QThreadPool::globalInstance()->start([&] {
        running.release();  // the thread has set itself up (its event dispatcher included)
        confined.acquire();
        if (!attempt.empty() && !Attempt(attempt, plainArgs)) {
            status = Fail(kExitRefused, "the attempt was refused: " + attempt);
            return;
        }
        status = DecodeInput(kind);
    });
    running.acquire();
    if (!ConfineDecoder(metafile ? ReadAccess::InputAndFonts : ReadAccess::InputOnly, &error)) {
        Fail(kExitRefused, error);
        std::_Exit(kExitRefused);
    }
    confined.release();
    QThreadPool::globalInstance()->waitForDone();
    std::fflush(stdout);
    // Ended here: what runs at exit may need calls the filter refuses.
    std::_Exit(status);
}
