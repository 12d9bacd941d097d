// tovik-icons OUTDIR SIZE...: writes the program's icon for the desktop's
// icon theme, the same drawing as the windows' icon:
// OUTDIR/hicolor/NxN/apps/tovik.png for each size N and
// OUTDIR/hicolor/scalable/apps/tovik.svg. Run by the build.

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>
#include <cstdio>
#include <cstdlib>

#include "ui/ProgramIcon.h"

namespace {

bool WritePng(const QDir& root, int size) {
    const QString dir = QStringLiteral("hicolor/%1x%1/apps").arg(size);
    if (!root.mkpath(dir)) return false;
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&image);
    p.scale(size / 32.0, size / 32.0);
    tovik::PaintProgramIcon(p);
    p.end();
    return image.save(root.filePath(dir + QStringLiteral("/tovik.png")), "PNG");
}

bool WriteSvg(const QDir& root) {
    const QString dir = QStringLiteral("hicolor/scalable/apps");
    if (!root.mkpath(dir)) return false;
    QSvgGenerator svg;
    svg.setFileName(root.filePath(dir + QStringLiteral("/tovik.svg")));
    svg.setSize(QSize(32, 32));
    svg.setViewBox(QRectF(0, 0, 32, 32));
    svg.setTitle(QStringLiteral("Tovik"));
    svg.setDescription(QStringLiteral("A positive and a negative charge joined by field lines"));
    QPainter p;
    if (!p.begin(&svg)) return false;
    tovik::PaintProgramIcon(p);
    return p.end();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: tovik-icons OUTDIR SIZE...\n");
        return 2;
    }
    const QDir root(QString::fromLocal8Bit(argv[1]));
    for (int i = 2; i < argc; ++i) {
        const int size = std::atoi(argv[i]);
        if (size < 1 || size > 1024 || !WritePng(root, size)) {
            std::fprintf(stderr, "tovik-icons: cannot write the %d px icon\n", size);
            return 1;
        }
    }
    if (!WriteSvg(root)) {
        std::fprintf(stderr, "tovik-icons: cannot write the SVG icon\n");
        return 1;
    }
    return 0;
}
