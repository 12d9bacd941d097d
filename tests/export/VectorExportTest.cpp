#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QXmlStreamReader>

#include "gui/TestWindow.h"

namespace tovik {
namespace {

QString Build(const char* name) { return QDir(QCoreApplication::applicationDirPath()).filePath(QString("../") + name); }
QString Example(const char* name) { return QDir(QString(TOVIK_SOURCE_DIR)).filePath(QString("examples/") + name); }

// Runs a program, through the shell for a `limit` of the file size in blocks.
int Execute(const QString& program, QStringList args, QString* err = nullptr, int limit = 0) {
    QProcess p;
    if (limit > 0) args = QStringList{"-c", QString("ulimit -f %1; exec \"$0\" \"$@\"").arg(limit), program} + args;
    p.start(limit > 0 ? "sh" : program, args);
    EXPECT_TRUE(p.waitForFinished(120000)) << args.join(' ').toStdString();
    if (err) *err = QString::fromUtf8(p.readAllStandardError());
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

QByteArray Bytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The share of the white pixels of `bmp` that lie within one pixel of a
// pixel at least half white in `svg`.
double WhiteMatch(const QImage& bmp, const QImage& svg) {
    const auto white = [](QRgb c, int at) { return qRed(c) >= at && qGreen(c) >= at && qBlue(c) >= at; };
    long whites = 0, found = 0;
    for (int y = 0; y < bmp.height(); ++y)
        for (int x = 0; x < bmp.width(); ++x) {
            if (!white(bmp.pixel(x, y), 255)) continue;
            ++whites;
            bool near = false;
            for (int dy = -1; dy <= 1 && !near; ++dy)
                for (int dx = -1; dx <= 1 && !near; ++dx)
                    near = svg.valid(x + dx, y + dy) && white(svg.pixel(x + dx, y + dy), 128);
            found += near;
        }
    return whites ? static_cast<double>(found) / static_cast<double>(whites) : 0;
}

// The SVG of a run rendered back by librsvg at one pixel a pixel covers the
// white of the BMP of the same run; the PDF's page has the picture's shape;
// the dipole's SVG stays small.
TEST(VectorExport, SvgAndPdfMatchTheBitmapOfTheSameRun) {
    if (QStandardPaths::findExecutable("rsvg-convert").isEmpty() || QStandardPaths::findExecutable("pdftoppm").isEmpty())
        GTEST_SKIP() << "rsvg-convert or pdftoppm is missing (librsvg2-bin, poppler-utils)";
    QTemporaryDir dir;
    const struct { const char* picture; QStringList options; } cases[] = {
        {"dipole.bmp", {}},
        {"quadrupole.bmp", {"--map", "field", "--equipotentials", "8", "--arrows", "60", "--step", "2"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.picture);
        const QString out = dir.filePath("out");
        QString err;
        ASSERT_EQ(Execute(Build("tovik-render"), QStringList{Example(c.picture), out + ".bmp", "--svg", out + ".svg",
                                                         "--pdf", out + ".pdf", "--seed", "1", "-q"} + c.options, &err),
                  0) << err.toStdString();
        const QImage bmp(out + ".bmp");
        ASSERT_EQ(Execute("rsvg-convert", {"-w", QString::number(bmp.width()), "-h", QString::number(bmp.height()),
                                       "-b", "black", out + ".svg", "-o", out + "-svg.png"}), 0);
        EXPECT_GE(WhiteMatch(bmp, QImage(out + "-svg.png")), 0.99);
        ASSERT_EQ(Execute("pdftoppm", {"-r", "72", "-png", "-singlefile", out + ".pdf", out + "-pdf"}), 0);
        EXPECT_EQ(QImage(out + "-pdf.png").size(), bmp.size());
        if (c.options.isEmpty()) {
            const QByteArray svg = Bytes(out + ".svg");
            EXPECT_LE(svg.size(), 1500 * 1000);
            EXPECT_LE(qCompress(svg, 6).size(), 400 * 1000);  // about what gzip gives
        }
    }
}

// Good and bad values of the renderer's export options: a bad one ends the
// run with its status and leaves no file behind.
TEST(VectorExport, RendererOptions) {
    QTemporaryDir dir;
    const QString start = QDir::currentPath();
    const QString picture = dir.filePath("d & «д» 'q'.bmp"), folder = dir.filePath("folder.svg");
    ASSERT_TRUE(test::Dipole().save(picture, "BMP"));
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.svg"));
    const struct { QStringList args; int status, limit; QStringList written; } rows[] = {
        {{"a.svg", "--svg", "b", "--pdf", "c.pdf", "--pdf", "d.pdf", "--arrows", "30"}, 0, 0,
         {"a.svg", "b", "c.pdf", "d.pdf"}},
        {{"--arrows", "-1", "--svg", "a.svg"}, 3, 0, {}},
        {{"--arrows", "inf", "--svg", "a.svg"}, 3, 0, {}},
        {{"--arrows", "x", "--svg", "a.svg"}, 2, 0, {}},
        {{"--svg", "a.pdf"}, 5, 0, {}},
        {{"--pdf", "a.jpg"}, 5, 0, {}},
        {{"--svg", folder}, 5, 0, {}},
        {{"--svg", "no/such/folder/a.svg"}, 5, 0, {}},
        {{"--svg", "a.svg"}, 5, 8, {}},  // a file-size limit: as a full disk
        {{"--pdf", "a.pdf"}, 5, 8, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.args.join(' ').toStdString());
        QDir work(dir.filePath("work"));
        work.removeRecursively();
        ASSERT_TRUE(QDir(dir.path()).mkdir("work"));
        QString err;
        QDir::setCurrent(work.path());
        const int status = Execute(Build("tovik-render"),
                               QStringList{picture, "--seed", "2", "--max-steps", "300", "--square", "60"} + row.args,
                               &err, row.limit);
        EXPECT_EQ(status, row.status) << err.toStdString();
        EXPECT_EQ(work.entryList(QDir::Files | QDir::Hidden), row.written);
        if (row.status == 5) {
            EXPECT_TRUE(err.contains("tovik-render: ")) << err.toStdString();
        }
        for (const QString& name : row.written) {
            const QByteArray bytes = Bytes(work.filePath(name));
            if (!name.endsWith(".pdf")) {
                // Well-formed, the file name in the title escaped, with arrows.
                QXmlStreamReader xml(bytes);
                while (!xml.atEnd()) xml.readNext();
                EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
                EXPECT_TRUE(bytes.contains("«д»")) << name.toStdString();
                EXPECT_GT(bytes.count("<path"), 100);
            } else {
                EXPECT_TRUE(bytes.startsWith("%PDF")) << name.toStdString();
            }
        }
    }
    QDir::setCurrent(start);
}

}  // namespace
}  // namespace tovik
