#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QFileInfo>
#include <QProcess>
#include <optional>
#include <set>
#include <sys/stat.h>

#include "export/LineDataFile.h"
#include "model/Preparation.h"
#include "picture/DrawingArea.h"
#include "picture/PictureFixtures.h"

namespace tovik {
namespace {

// Two squares of 21 x 21 pixels, blue and red, 300 pixels apart.
QImage Dipole() {
    QImage img(781, 469, QImage::Format_RGB32);
    img.fill(Qt::black);
    for (int y = 224; y < 245; ++y)
        for (int x = 0; x < 21; ++x) img.setPixel(230 + x, y, qRgb(0, 0, 255)), img.setPixel(530 + x, y, qRgb(255, 0, 0));
    return img;
}

// The dipole's field as the renderer prepares it, at cells of 8 pixels.
TensionEvaluator DipoleField() {
    SimState s;
    s.MaxCharge = 1000;
    s.CalcSpeed = 8;
    const QImage area = ComposeDrawingArea(Dipole());
    SilentPreparation silent;
    PrepareChargeModel(s, PreparationInput{PixelsOf(area), 781, 469, 8}, silent);
    return CurrentField().Of(s);
}

struct Outcome { int status; QString err; };

Outcome Render(const QString& dir, const QStringList& args) {
    QProcess p;
    p.setWorkingDirectory(dir);
    p.start(TOVIK_RENDERER, QStringList{"dipole.bmp", "-q", "--threads", "2"} + args);
    EXPECT_TRUE(p.waitForFinished(60000));
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardError())};
}

QByteArray Bytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TracePoint PointOf(const QJsonValue& v) {
    return {static_cast<float>(v[0].toDouble()), static_cast<float>(v[1].toDouble())};
}

// The renderer's JSON and CSV of traced lines hold, bit for bit, the points
// of the same lines traced here, why each branch ended, and the field at
// every point; the JSON passes its schema.
TEST(LineData, RenderedLinesReadBackBitForBit) {
    const TensionEvaluator field = DipoleField();
    const struct { QStringList args; TraceParameters p; std::vector<TracePoint> starts; } rows[] = {
        {{"--max-steps", "100000"}, {4, 5000, 10, 100000}, {{390, 236}, {240, 234}, {100.5f, 400.25f}}},
        {{"--max-steps", "40", "--step", "7"}, {7, 5000, 10, 40}, {{25, 60}}},
        {{"--max-steps", "1000", "--max-field", "200"}, {4, 200, 10, 1000}, {{330, 236}}},
    };
    QTemporaryDir dir;
    ASSERT_TRUE(Dipole().save(dir.filePath("dipole.bmp"), "BMP"));
    std::set<std::string> ends;
    for (const auto& row : rows) {
        QStringList args = row.args + QStringList{"--json", "a.json", "--csv", "a.csv"};
        for (const TracePoint& s : row.starts) args << "--trace" << QString("%1,%2").arg(s.x).arg(s.y);
        SCOPED_TRACE(args.join(' ').toStdString());
        const Outcome run = Render(dir.path(), args);
        ASSERT_EQ(run.status, 0) << run.err.toStdString();
        const QJsonObject json = QJsonDocument::fromJson(Bytes(dir.filePath("a.json"))).object();
        EXPECT_TRUE(json["parameters"]["seed"].isDouble());  // the time of day's, as none was given
        const QJsonArray lines = json["lines"].toArray();
        ASSERT_EQ(lines.size(), static_cast<qsizetype>(row.starts.size()));
        const QList<QByteArray> csv = Bytes(dir.filePath("a.csv")).split('\n');
        ASSERT_EQ(csv.front(), "line,branch,step,x,y,Ex,Ey");
        qsizetype row_ = 1;
        SteadyClock clock;
        for (qsizetype i = 0; i < lines.size(); ++i) {
            const TracedLine want = TraceLine(field, row.p, row.starts[i].x, row.starts[i].y, clock);
            EXPECT_EQ(PointOf(lines[i]["start"]), want.start);
            const QJsonArray branches = lines[i]["branches"].toArray();
            ASSERT_EQ(branches.size(), static_cast<qsizetype>(want.branches.size()));
            for (qsizetype b = 0; b < branches.size(); ++b) {
                const TracedBranch& w = want.branches[b];
                EXPECT_EQ(branches[b]["step"].toInt(), b ? -row.p.step : row.p.step);
                const QJsonArray points = branches[b]["points"].toArray();
                ASSERT_EQ(points.size(), static_cast<qsizetype>(w.points.size()));
                ends.insert(branches[b]["end"].toString().toStdString());
                for (qsizetype k = 0; k < points.size(); ++k) {
                    ASSERT_EQ(PointOf(points[k]), w.points[k]) << "line " << i << " branch " << b << " point " << k;
                    const QList<QByteArray> cells = csv[row_++].split(',');
                    ASSERT_EQ(cells.size(), 7);
                    const FieldVector e = field.GetTension(w.points[k].x, w.points[k].y);
                    EXPECT_EQ(cells[2].toLong(), k);
                    EXPECT_EQ(std::strtof(cells[3].constData(), nullptr), w.points[k].x);
                    EXPECT_EQ(std::strtod(cells[5].constData(), nullptr), e.X);
                    EXPECT_EQ(std::strtod(cells[6].constData(), nullptr), e.Y);
                }
            }
        }
        EXPECT_EQ(csv.size(), row_ + 1);  // and the last line feed
    }
    EXPECT_EQ(ends, (std::set<std::string>{"notStarted", "tooWeak", "outOfTime", "tooStrong"}));

    // The system's Python, where Debian's python3-jsonschema lives, rather
    // than whichever python3 comes first on the path.
    const QString python = QFileInfo::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3";
    if (QProcess::execute(python, {"-c", "import jsonschema"}) != 0)
        GTEST_SKIP() << "python3-jsonschema is missing: the JSON is not checked against its schema";
    const QString check = "import json, sys, jsonschema\n"
                          "schema = json.load(open(sys.argv[1]))\n"
                          "jsonschema.validators.validator_for(schema).check_schema(schema)\n"
                          "jsonschema.validate(json.load(open(sys.argv[2])), schema)\n";
    EXPECT_EQ(QProcess::execute(python, {"-c", check, TOVIK_SOURCE_DIR "/data/tovik-lines.schema.json",
                                            dir.filePath("a.json")}), 0);
}

// A write that fails on a full disk or past a file-size limit, or to no
// regular file, is reported by the file's name and leaves the old file as it
// was and nothing else behind; with room, the same write succeeds. A failed
// branch keeps its error and stage, and an odd picture name stays valid JSON.
TEST(LineData, AFailedExportLeavesTheOldFileAndNothingElse) {
    DrawnLines lines;
    DrawnLines::Handle failed = lines.BeginLine({1.5f, 2.5f});
    lines.BeginBranch(failed, LineInputs{{}, {-3, 1, 1, 0}});
    lines.Add(failed, {1.5f, 2.5f});
    lines.End(failed, {BranchEnd::Failed, RunTimeErrorKind::DivisionByZero, ErrorStage::Move});
    LineDataHeader header;
    header.picture = QStringLiteral("a \"b\"\n\\ё.bmp");
    SteadyClock clock;
    const TensionEvaluator field = DipoleField();
    for (const TracePoint start : {TracePoint{25, 60}, {700, 50}, {100, 400}, {600, 400}, {50, 450}}) {
        const TracedLine line = TraceLine(field, {4, 5000, 10, 3000}, start.x, start.y, clock);
        DrawnLines::Handle h = lines.BeginLine(line.start);
        for (const TracedBranch& b : line.branches) {
            lines.BeginBranch(h, LineInputs{field, {4, 5000, 10, 3000}});
            for (const TracePoint& p : b.points) lines.Add(h, p);
        }
    }
    for (const ExportFormat format : {ExportFormat::Json, ExportFormat::Csv}) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        ASSERT_TRUE(format == ExportFormat::Json ? WriteLinesJson(buffer, lines, header) : WriteLinesCsv(buffer, lines));
        const QByteArray whole = buffer.data();
        if (format == ExportFormat::Json) {
            const QJsonObject json = QJsonDocument::fromJson(whole).object();
            EXPECT_EQ(json["parameters"]["picture"].toString(), header.picture);
            const QJsonValue branch = json["lines"][0]["branches"][0];
            EXPECT_EQ(branch["step"].toInt(), -3);
            EXPECT_EQ(QStringList({branch["end"].toString(), branch["error"].toString(), branch["stage"].toString()}),
                      QStringList({"failed", "divisionByZero", "move"}));
        } else {
            EXPECT_TRUE(whole.startsWith("line,branch,step,x,y,Ex,Ey\n1,1,0,1.5,2.5,,\n"));  // no field there
        }
        ASSERT_GT(whole.size(), 64 * 1024);  // more than the disk holds: the write fails while streaming
        for (const char* how : {"full disk", "file size limit", "folder"}) {
            SCOPED_TRACE(std::string(how) + " " + ExportExtension(format).toStdString());
            const bool full = how == std::string("full disk");
            std::optional<test::SmallTmpfs> disk;
            QTemporaryDir plain;
            if (full && !disk.emplace().mounted) {
                std::printf("a small tmpfs cannot be mounted here: the full-disk case is skipped\n");
                continue;
            }
            const QDir dir(full ? disk->dir.path() : plain.path());
            const QString path = dir.filePath(how == std::string("folder") ? "folder" : "lines.out");
            ASSERT_TRUE(how == std::string("folder") ? dir.mkdir("folder") : test::WriteFile(path, "old"));
            if (full) {
                ASSERT_TRUE(disk->Fill());
            }
            const QStringList before = dir.entryList(QDir::AllEntries | QDir::Hidden);
            QString error;
            {
                std::optional<test::FileSizeLimit> limit;
                if (how == std::string("file size limit")) limit.emplace(64);
                EXPECT_FALSE(ExportLineData(path, format, lines, header, &error));
            }
            EXPECT_TRUE(error.contains(QDir::toNativeSeparators(path))) << error.toStdString();
            EXPECT_EQ(dir.entryList(QDir::AllEntries | QDir::Hidden), before);
            if (how == std::string("folder")) continue;
            EXPECT_EQ(Bytes(path), "old");
            if (full) continue;  // the whole file does not fit
            ASSERT_TRUE(ExportLineData(path, format, lines, header, &error)) << error.toStdString();
            EXPECT_EQ(Bytes(path), whole);
        }
    }
}

// Any number of exports in one run; a file that cannot be written stops the
// run before it starts, with status 5, and nothing is created.
TEST(LineData, RendererExportOptions) {
    QTemporaryDir dir;
    ASSERT_TRUE(Dipole().save(dir.filePath("dipole.bmp"), "BMP"));
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath("fifo")).constData(), 0600), 0);
    const struct { QStringList args; int status; QStringList written; } rows[] = {
        {{"--json", "a.json", "--csv", "b.csv", "--json", "c.json"}, 0, {"a.json", "b.csv", "c.json"}},
        {{"--json", "folder"}, 5, {}},
        {{"--csv", "fifo", "--json", "a.json"}, 5, {}},
        {{"--csv", "missing/b.csv"}, 5, {}},
        {{"--json", ""}, 5, {}},
        {{"--json"}, 2, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.args.join(' ').toStdString());
        const QStringList before = QDir(dir.path()).entryList(QDir::AllEntries | QDir::System | QDir::Hidden);
        const Outcome run = Render(dir.path(), QStringList{"out.bmp", "--max-steps", "300", "--square", "100"} + row.args);
        EXPECT_EQ(run.status, row.status) << run.err.toStdString();
        const QStringList after = QDir(dir.path()).entryList(QDir::AllEntries | QDir::System | QDir::Hidden);
        QStringList expected = row.status ? before : before + row.written + QStringList{"out.bmp"};
        expected.sort();
        EXPECT_EQ(after, expected);
        EXPECT_EQ(run.err.contains("cannot write the lines as"), row.status == 5) << run.err.toStdString();
        for (const QString& name : row.written + QStringList{"out.bmp"}) QFile::remove(dir.filePath(name));
    }
}

}  // namespace
}  // namespace tovik
