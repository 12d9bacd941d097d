#include <QDir>
#include <QFile>
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

TEST(Render, SameSeedAndStepLimitGiveTheSameFileTwice) {
    RenderFixture f;
    for (const char* name : {"a.bmp", "b.bmp", "c.png"}) {
        const Result r = Render({f.Path("dipole.bmp"), f.Path(name), "--seed", "5", "--max-steps", "300",
                                 "--square", "60", "--cell", "16"});
        ASSERT_EQ(r.status, 0) << r.err.toStdString();
        EXPECT_TRUE(r.out.contains("lines traced: 91,")) << r.out.toStdString();  // 13 x 7 squares
    }
    EXPECT_EQ(Bytes(f.Path("a.bmp")), Bytes(f.Path("b.bmp")));
    EXPECT_TRUE(Bytes(f.Path("a.bmp")).startsWith("BM"));
    EXPECT_TRUE(Bytes(f.Path("c.png")).startsWith("\x89PNG"));
    EXPECT_EQ(QImage(f.Path("c.png")).convertToFormat(QImage::Format_RGB32),
              QImage(f.Path("a.bmp")).convertToFormat(QImage::Format_RGB32));
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
    EXPECT_FALSE(QFile::exists(out));
    const Result unwritable = Render({f.Path("dipole.bmp"), f.Path("folder"), "--no-lines"});
    EXPECT_EQ(unwritable.status, 5);
    EXPECT_EQ(unwritable.err.count('\n'), 1);
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
