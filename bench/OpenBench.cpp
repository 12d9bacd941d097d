// What the decoder process costs per Open: examples/dipole.bmp loaded through
// LoadPictureFile (sniffed here, decoded by tovik-decoder) next to the same
// file decoded in this process the way Open did before (read, checked for a
// cut, decoded by Qt's reader), both measured in the same run, interleaved.
//
// Usage: tovik-open-bench [--runs=N] [--picture=FILE]

#include <QBuffer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImageReader>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "picture/PictureFormat.h"
#include "picture/PictureLoader.h"

namespace {

QImage DecodeInProcess(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    QByteArray data = file.readAll();
    const tovik::PictureKind kind = tovik::SniffPicture(data);
    if (tovik::PictureCutShort(kind, data)) return {};
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    reader.setAllocationLimit(128);
    return reader.read();
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    int runs = 21;
    QString picture = QStringLiteral(TOVIK_SOURCE_DIR "/examples/dipole.bmp");
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--runs=", 7) == 0) runs = std::max(1, std::atoi(argv[i] + 7));
        else if (std::strncmp(argv[i], "--picture=", 10) == 0) picture = QString::fromLocal8Bit(argv[i] + 10);
        else {
            std::fprintf(stderr, "usage: tovik-open-bench [--runs=N] [--picture=FILE]\n");
            return 2;
        }
    }
    std::vector<double> inProcess, decoder;
    QSize size;
    for (int i = 0; i < runs + 1; ++i) {  // the first round warms the caches up
        QElapsedTimer t;
        t.start();
        const QImage a = DecodeInProcess(picture);
        const double aMs = t.nsecsElapsed() / 1e6;
        QImage b;
        QString error;
        t.restart();
        const bool ok = tovik::LoadPictureFile(picture, &b, &error);
        const double bMs = t.nsecsElapsed() / 1e6;
        if (a.isNull() || !ok || a.size() != b.size()) {
            std::fprintf(stderr, "cannot load %s: %s\n", qPrintable(picture), qPrintable(error));
            return 1;
        }
        size = b.size();
        if (i == 0) continue;
        inProcess.push_back(aMs);
        decoder.push_back(bMs);
    }
    const double before = Median(inProcess), after = Median(decoder);
    std::printf("Open %s (%dx%d), median of %d runs:\n", qPrintable(picture), size.width(), size.height(), runs);
    std::printf("  decoded in this process (before): %7.2f ms\n", before);
    std::printf("  decoded by tovik-decoder (now):   %7.2f ms\n", after);
    std::printf("  extra cost of the process:        %7.2f ms\n", after - before);
    return 0;
}
