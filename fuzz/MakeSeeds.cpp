// tovik-fuzz-seeds: writes the seed corpus of every fuzz target, made here
// from the same small pictures the tests use, into FOLDER/<target>/.
//
// Usage: tovik-fuzz-seeds FOLDER

#include <QDir>
#include <QGuiApplication>

#include "picture/PictureFixtures.h"
#include "picture/RasterFormat.h"

namespace {

using namespace tovik;

QByteArray Raster(std::uint32_t width, std::uint32_t height) {
    std::vector<unsigned char> pixels(std::size_t{width} * height * 4);
    for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<unsigned char>(i * 37);
    const auto header = metafile::RasterHeader(width, height, metafile::RasterChecksum(pixels.data(), pixels.size()));
    return QByteArray(reinterpret_cast<const char*>(header.data()), qsizetype(header.size())) +
           QByteArray(reinterpret_cast<const char*>(pixels.data()), qsizetype(pixels.size()));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QDir root(QString::fromLocal8Bit(argv[1]));
    bool ok = true;
    const auto put = [&](const char* target, const QString& name, const QByteArray& bytes) {
        ok = root.mkpath(target) && test::WriteFile(root.filePath(QString(target) + "/" + name), bytes) && ok;
    };

    const QImage picture = test::RectanglePicture({24, 16}, {4, 6, 8, 4}, Qt::blue);
    const QByteArray wmf = test::MakeWmf({});
    put("sniff", "picture.bmp", test::EncodeWithQt(picture, "BMP"));
    put("sniff", "picture.jpg", test::EncodeWithQt(picture, "JPEG"));
    put("sniff", "progressive.jpg", test::ManyScanJpeg(2));
    put("sniff", "picture.gif", test::EncodeGif(picture));
    put("sniff", "picture.png", test::EncodeWithQt(picture, "PNG"));
    put("sniff", "picture.wmf", wmf);
    put("sniff", "picture.emf", test::MakeEmf());
    put("sniff", "picture.svg", "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"4\" height=\"4\"/>");

    put("answer", "1x1", Raster(1, 1));
    put("answer", "5x3", Raster(5, 3));
    put("answer", "header-only", Raster(5, 3).left(int(metafile::kRasterHeaderSize)));

    put("wmf", "placeable.wmf", wmf);
    put("wmf", "plain.wmf", test::MakeWmf({.placeable = false}));
    put("wmf", "anisotropic.wmf", test::MakeWmf({.box = {0, 0, 300, 150}, .inch = 1440, .mapMode = 8,
                                                 .windowExt = {300, 150}, .rect = {60, 45, 60, 45}}));
    put("wmf", "origin.wmf", test::MakeWmf({.box = {100, 50, 200, 100}, .windowOrg = {100, 50},
                                            .rect = {140, 80, 40, 30}}));
    put("wmf", "nowindow.wmf", test::MakeWmf({.setWindow = false}));

    put("emf", "picture.emf", test::MakeEmf());
    put("emf", "small.emf", test::MakeEmf({0, 0, 500, 300}, {2, 3, 5, 4}));

    int n = 0;
    for (const char* text : {"12.5", " 1 000", "-.5", "2e3", "1,5", "x1", "&H1F", "&o17", "1E400", "-1e-400",
                             "+0", "-0", "9999999999999999999999", "2.5 s"})
        put("number", QString::number(n++), text);

    put("settings", "plain.conf",
        "[General]\nCalcSpeed=8\nDrawSpeed=4\nTimeLimit=10\nMaxTension=5000\nPartDimmension=25\n"
        "MaxCharge=1000\nFileName=/home/user/dipole.bmp\n");
    put("settings", "quoted.conf", "[General]\nFileName=\"a, b\\\\c;d.bmp\"\nCalcSpeed=\"16\\0\"\n");
    put("settings", "list.conf", "[General]\nFileName=a, b.png\nTimeLimit=@Variant(\\0\\0\\0\\x2\\0\\0\\0\\x5)\n");
    put("settings", "escapes.conf", "[General]\nFileName=\\x43f\\x43e\\x43b\\x435.bmp\n[Other]\nx=1\n");
    return ok ? 0 : 1;
}
