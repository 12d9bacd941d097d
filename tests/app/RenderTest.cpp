#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>

#include "gui/TestWindow.h"

namespace tovik {
namespace {

// Built next to the test programs' folder.
QString Renderer() { return QDir(QCoreApplication::applicationDirPath()).filePath("../tovik-render"); }

struct Result { int status = -1; QString out, err; };

Result Render(const QStringList& args) {
    QProcess p;
    p.start(Renderer(), args);
    EXPECT_TRUE(p.waitForFinished(60000)) << args.join(' ').toStdString();
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

using test::Dipole;

struct RenderFixture {
    RenderFixture() { EXPECT_TRUE(Dipole().save(Path("dipole.bmp"), "BMP")); }
    QString Path(const QString& name) const { return dir.filePath(name); }
    QTemporaryDir dir;
};

QByteArray Bytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The same seed and step limit give the same file on any number of threads,
// as BMP and as PNG.
TEST(Render, SameSeedAndStepLimitGiveTheSameFileOnAnyNumberOfThreads) {
    RenderFixture f;
    const struct { const char* name; QImage picture; const char* cell; } cases[] = {
        {"dipole", Dipole(), "16"}, {"disc", test::Disc(), "8"}, {"ring", test::Ring(50, 60), "2"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString picture = f.Path(QString(c.name) + ".bmp");
        ASSERT_TRUE(c.picture.save(picture, "BMP"));
        for (const char* threads : {"1", "2", "4"}) {
            const QString out = f.Path(QString(c.name) + threads + ".bmp");
            const Result r = Render({picture, out, "--seed", "5", "--max-steps", "300", "--square", "60",
                                     "--cell", c.cell, "--threads", threads});
            ASSERT_EQ(r.status, 0) << r.err.toStdString();
            EXPECT_TRUE(r.out.contains("lines traced: 91,")) << r.out.toStdString();  // 13 x 7 squares
            EXPECT_EQ(Bytes(out), Bytes(f.Path(QString(c.name) + "1.bmp"))) << threads << " threads";
        }
    }
    ASSERT_EQ(Render({f.Path("dipole.bmp"), f.Path("c.png"), "--seed", "5", "--max-steps", "300", "--square",
                      "60", "--cell", "16"}).status, 0);
    EXPECT_TRUE(Bytes(f.Path("dipole1.bmp")).startsWith("BM"));
    EXPECT_TRUE(Bytes(f.Path("c.png")).startsWith("\x89PNG"));
    EXPECT_EQ(QImage(f.Path("c.png")).convertToFormat(QImage::Format_RGB32),
              QImage(f.Path("dipole1.bmp")).convertToFormat(QImage::Format_RGB32));
}

// With the seed of the window's generator and no branch reaching a limit,
// the renderer draws the lines of the window's "Пуск", and probes as the
// window's read-outs show.
TEST(Render, DrawsTheLinesAndReadsTheFieldOfTheWindow) {
    RenderFixture f;
    test::TestWindow t(Dipole());
    t.state.PartDimmension = 100;
    QTest::mouseClick(t.c->Command3, Qt::LeftButton);
    QTest::mouseClick(t.c->Command2, Qt::LeftButton);
    ASSERT_TRUE(t.errors.isEmpty()) << t.errors.join('\n').toStdString();
    ASSERT_NE(t.window->Drawing(), t.c->pctMain->picture());  // lines were drawn
    QTest::mouseMove(t.c->pctMain, QPoint(300 + 2, 236 + 2));
    QCoreApplication::processEvents();

    const Result r = Render({f.Path("dipole.bmp"), f.Path("out.bmp"), "--square", "100", "--seed", "20240607",
                             "--max-steps", "100000000", "--probe", "300,236"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(QImage(f.Path("out.bmp")).convertToFormat(QImage::Format_RGB32),
              t.window->Drawing().convertToFormat(QImage::Format_RGB32));
    const QString probe = QStringLiteral("probe 300,236: Ex %1, Ey %2, Er %3")
                              .arg(t.c->Ex->text(), t.c->Ey->text(), t.c->Er->text());
    EXPECT_TRUE(r.out.contains(probe)) << r.out.toStdString() << "\nwanted " << probe.toStdString();
}

TEST(Render, APictureLargerThanTheDrawingAreaIsCutWithANote) {
    RenderFixture f;
    QImage large(1200, 600, QImage::Format_RGB32);
    large.fill(Qt::black);
    ASSERT_TRUE(large.save(f.Path("large.bmp"), "BMP"));
    const Result r = Render({f.Path("large.bmp"), "--no-lines"});
    EXPECT_EQ(r.status, 0);
    const QString note = QStringLiteral("only the top-left 781 x 469 pixels of the 1200 x 600 picture take part");
    EXPECT_TRUE(r.err.contains("note: " + note)) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("picture: 1200 x 600 pixels\nnote: " + note)) << r.out.toStdString();
}

TEST(Render, BadInputGetsItsExitStatusAndWritesNothing) {
    RenderFixture f;
    ASSERT_TRUE(QDir(f.dir.path()).mkdir("folder"));
    const QString out = f.Path("out.bmp");
    const struct { QStringList args; int status; } rows[] = {
        {{"--bogus"}, 2},
        {{"--trace", "1"}, 2},
        {{}, 2},  // no picture
        {{"--cell", "3"}, 3},
        {{"--step", "11"}, 3},
        {{"--square", "0"}, 3},
        {{"--time-limit", "0"}, 3},
        {{"--seed", "-1"}, 3},
        {{"--max-charge", "1e39"}, 3},
        {{"--max-steps", "99999999999999999999"}, 3},
        {{"--cell", "4294967304"}, 3},
        {{"--square", "-99999999999999999999"}, 3},
        {{"--equipotentials", "-1"}, 3},
        {{"--equipotentials", "101"}, 3},
        {{"--map", "heat"}, 3},
        {{"--equipotentials", "x"}, 2},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.args.join(' ').toStdString());
        const QStringList args = row.args.isEmpty() ? QStringList{} : QStringList{f.Path("dipole.bmp"), out} + row.args;
        const Result r = Render(args);
        EXPECT_EQ(r.status, row.status);
        EXPECT_EQ(r.err.count('\n'), 1) << r.err.toStdString();
        EXPECT_FALSE(QFile::exists(out));
    }
    const Result missing = Render({f.Path("missing.bmp"), out});
    EXPECT_EQ(missing.status, 4);
    EXPECT_TRUE(missing.err.contains(": no such file")) << missing.err.toStdString();  // in English
    EXPECT_FALSE(QFile::exists(out));
    const Result unwritable = Render({f.Path("dipole.bmp"), f.Path("folder"), "--no-lines"});
    EXPECT_EQ(unwritable.status, 5);
    EXPECT_EQ(unwritable.err.count('\n'), 1);
}

// Run by the shell in a folder with dipole.bmp, the renderer as $R; the
// script exits 99 when what it finds afterwards is wrong.
TEST(Render, NamesReachTheFileSystemByteForByteAndOnlyRegularFilesAreWritten) {
    const struct { const char* script; int status; const char* out; } rows[] = {
        {R"sh(cp dipole.bmp "$(printf 'in\377')"; "$R" -q --no-lines "$(printf 'in\377')" "$(printf 'out\376')"
            s=$?; test -f "$(printf 'out\376')" || exit 99; exit $s)sh", 0, "written: out\\xfe"},
        {R"sh(mkfifo p.bmp; "$R" -q --no-lines dipole.bmp p.bmp; s=$?; test -p p.bmp || exit 99; exit $s)sh", 5, ""},
        {R"sh(echo old > o.bmp; (ulimit -f 1; exec "$R" -q --no-lines dipole.bmp o.bmp); s=$?
            test "$(cat o.bmp)" = old && test "$(ls)" = "$(printf 'dipole.bmp\no.bmp')" || exit 99; exit $s)sh", 5, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.script);
        RenderFixture f;
        QProcess p;
        p.setWorkingDirectory(f.dir.path());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("R", QFileInfo(Renderer()).absoluteFilePath());
        p.setProcessEnvironment(env);
        p.start("sh", {"-c", row.script});
        ASSERT_TRUE(p.waitForFinished(60000));
        EXPECT_EQ(p.exitCode(), row.status) << p.readAllStandardError().toStdString();
        EXPECT_TRUE(p.readAllStandardOutput().contains(row.out));
    }
}

// The views of the whole field: the summary gives the ranges of the
// potential and |E|, a probe the potential, and nothing painted changes the
// charge: charged pixels keep their colour and the others keep blue == red.
TEST(Render, FieldViewsKeepTheChargeAndReportTheField) {
    RenderFixture f;
    const QImage in = QImage(f.Path("dipole.bmp")).convertToFormat(QImage::Format_RGB32);
    const QStringList rows[] = {{"--map", "field", "--equipotentials", "12"},
                                {"--map", "potential", "--equipotentials", "7", "--cell", "1"},
                                {"--map", "none", "--equipotentials", "0"}};
    for (const QStringList& views : rows) {
        SCOPED_TRACE(views.join(' ').toStdString());
        const Result r = Render(QStringList{f.Path("dipole.bmp"), f.Path("out.png"), "--no-lines", "--probe", "390,236"} + views);
        ASSERT_EQ(r.status, 0) << r.err.toStdString();
        EXPECT_TRUE(r.out.contains(QRegularExpression("field: potential from -\\d[^,]* to \\d[^,]*, \\|E\\| from "
                                                      "\\d[^,]* to \\d[^,]*, 0 values clamped")))
            << r.out.toStdString();
        EXPECT_TRUE(r.out.contains(QRegularExpression("probe 390,236: Ex [^,]*, Ey [^,]*, Er 0, potential -?[.\\d]+(e[-+]\\d+)?\n")))
            << r.out.toStdString();
        const QImage out = QImage(f.Path("out.png")).convertToFormat(QImage::Format_RGB32);
        long changed = 0;
        for (int y = 0; y < in.height(); ++y)
            for (int x = 0; x < in.width(); ++x) {
                const QRgb a = in.pixel(x, y), b = out.pixel(x, y);
                if (qBlue(a) != qRed(a))
                    ASSERT_EQ(a, b) << x << "," << y;
                else
                    ASSERT_EQ(qBlue(b), qRed(b)) << x << "," << y;
                changed += a != b;
            }
        EXPECT_EQ(changed > 0, views[1] != "none");
    }
}

}  // namespace
}  // namespace tovik
