// tovik-metafile: decodes one Windows metafile (WMF) or enhanced metafile
// (EMF) and writes the picture to standard output as a checked raster (see
// RasterFormat.h). tovik runs it once per file, under memory and time
// limits, so that a fault in a metafile library cannot take the program and
// the user's drawing down with it.
//
// Usage: tovik-metafile FILE
// Exit status: 0 with the raster on standard output; 2 for a usage error;
// 3 when the file cannot be read; 4 when it is no metafile this program can
// draw; 5 when writing the output fails; 6 when the picture is larger than
// the limits of RasterFormat.h. Reasons go to standard error.

#include <QGuiApplication>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/metafile/EmfRenderer.h"
#include "app/metafile/RasterFormat.h"
#include "app/metafile/WmfRenderer.h"

namespace {

using tovik::metafile::Raster;

int Fail(int status, const std::string& reason) {
    std::fprintf(stderr, "tovik-metafile: %s\n", reason.c_str());
    return status;
}

bool ReadWholeFile(const char* path, std::vector<unsigned char>* data, std::string* error) {
    std::FILE* f = std::fopen(path, "rb");
    if (!f) {
        *error = std::string("cannot open the file: ") + std::strerror(errno);
        return false;
    }
    unsigned char buffer[65536];
    bool ok = true;
    for (;;) {
        const std::size_t n = std::fread(buffer, 1, sizeof buffer, f);
        if (n == 0) break;
        if (data->size() + n > static_cast<std::size_t>(tovik::metafile::kMaxMetafileBytes)) {
            *error = "the file is too large";
            ok = false;
            break;
        }
        data->insert(data->end(), buffer, buffer + n);
    }
    if (ok && std::ferror(f)) {
        *error = "cannot read the file";
        ok = false;
    }
    std::fclose(f);
    return ok;
}

void Bytes(std::uint32_t pixel, unsigned char* p) { tovik::metafile::PutLe32(p, pixel); }

bool WriteRaster(const Raster& r) {
    std::uint64_t checksum = 0xcbf29ce484222325ULL;
    for (const std::uint32_t px : r.pixels) {
        unsigned char b[4];
        Bytes(px, b);
        for (const unsigned char c : b) {
            checksum ^= c;
            checksum *= 0x100000001b3ULL;
        }
    }
    const auto header = tovik::metafile::RasterHeader(r.width, r.height, checksum);
    if (std::fwrite(header.data(), 1, header.size(), stdout) != header.size()) return false;
    std::vector<unsigned char> chunk;
    chunk.reserve(65536);
    for (std::size_t i = 0; i < r.pixels.size(); ++i) {
        unsigned char b[4];
        Bytes(r.pixels[i], b);
        chunk.insert(chunk.end(), b, b + 4);
        if (chunk.size() == 65536 || i + 1 == r.pixels.size()) {
            if (std::fwrite(chunk.data(), 1, chunk.size(), stdout) != chunk.size()) return false;
            chunk.clear();
        }
    }
    return std::fflush(stdout) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return Fail(2, "usage: tovik-metafile FILE");
    std::vector<unsigned char> data;
    std::string error;
    if (!ReadWholeFile(argv[1], &data, &error)) return Fail(3, error);
    // An empty file is no metafile; the libraries are never shown one.
    if (data.empty()) return Fail(4, "the file is empty");

    Raster raster;
    bool drawn = false;
    if (tovik::metafile::LooksLikeEmf(data)) {
        // Qt draws the converted picture, fonts included; it never shows a
        // window.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        int qtArgc = 1;
        QGuiApplication app(qtArgc, argv);
        drawn = tovik::metafile::RenderEmf(data, &raster, &error);
    } else if (tovik::metafile::LooksLikeWmf(data)) {
        drawn = tovik::metafile::RenderWmf(data, &raster, &error);
    } else {
        error = "not a metafile";
    }
    if (!drawn) return Fail(error == tovik::metafile::kTooLargeReason ? tovik::metafile::kExitTooLarge : 4, error);
    if (!WriteRaster(raster)) return Fail(5, "cannot write the picture");
    return 0;
}
