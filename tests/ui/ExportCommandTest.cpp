#include <QDir>
#include <QFile>
#include <QTimer>

#include "gui/TestWindow.h"
#include "picture/PictureFixtures.h"
#include "ui/ExportCommand.h"

namespace tovik {
namespace {

QByteArray Bytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// "Экспорт..." follows the field views' items; the name chosen is written in
// the format its extension asks for, or in the type last chosen when it has
// none; the folder and the format are remembered, and a stored value this
// window never writes reads as the default. A write that fails is reported
// and leaves the old file and nothing else.
TEST(ExportCommand, WritesTheChosenFileAndRemembersFolderAndFormat) {
    test::TestWindow t(test::Dipole());
    const QList<QAction*> items = t.c->Menu->actions();
    ASSERT_GE(items.size(), 7);
    EXPECT_EQ(items[6]->text(), QStringLiteral("Экспорт..."));
    QTest::mouseClick(t.c->Command3, Qt::LeftButton);
    QTest::mouseClick(t.c->pctMain, Qt::LeftButton, {}, QPoint(300, 150));
    ASSERT_GT(t.c->pctMain->drawnLines().PointCount(), 10);
    QTemporaryDir out;
    const QString other = QDir(out.path()).filePath("«папка» & \"q\"");
    ASSERT_TRUE(QDir().mkpath(other));
    const struct { QString chosen; std::string stored; QString written, start; const char* magic; int errors; } rows[] = {
        {"", "svg", "", "", "", 0},  // cancelled: nothing changes
        {out.path() + "/a.PDF", "pdf", "a.PDF", "", "%PDF", 0},
        {other + "/рисунок", "pdf", "рисунок.pdf", out.path(), "%PDF", 0},  // the type last chosen
        {other + "/b.svg", "svg", "b.svg", other, "<?xml", 0},
        {other + "/c.png", "png", "c.png", other, "\x89PNG", 0},
        {other + "/d.json", "json", "d.json", other, "{", 0},
        {other + "/e.csv", "csv", "e.csv", other, "line,", 0},
        {other + "/d.jpg", "csv", "", other, "", 1},  // a format not known
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.chosen.toStdString());
        t.chosen = row.chosen;
        t.errors.clear();
        t.c->Menu->actions()[6]->trigger();
        EXPECT_EQ(t.requests.back().directory, row.start);
        EXPECT_EQ(t.errors.size(), row.errors) << t.errors.join('\n').toStdString();
        if (!row.written.isEmpty()) {
            const QString path = QFileInfo(row.chosen).absolutePath() + "/" + row.written;
            EXPECT_TRUE(Bytes(path).startsWith(row.magic)) << path.toStdString();
            EXPECT_EQ(test::Stored(*t.store, ExportCommand::FolderKey), QFileInfo(path).absolutePath().toStdString());
        }
        if (!row.chosen.isEmpty() && row.errors == 0) {
            EXPECT_EQ(test::Stored(*t.store, ExportCommand::FormatKey), row.stored);
        }
    }
    // The type of the last export is the dialog's first choice, unless the
    // stored value is not one this window writes.
    for (const char* stored : {"png", "PNG", "bmp", "/tmp"}) {
        t.store->RegPrepare();
        t.store->SetKeyValue(ExportCommand::FormatKey, stored);
        t.chosen.clear();
        t.c->Menu->actions()[6]->trigger();
        EXPECT_EQ(t.requests.back().selectedFilter,
                  std::string(stored) == "png" ? "Рисунок PNG (*.png)" : "Рисунок SVG (*.svg)") << stored;
    }

    // Arrows along the lines, when a spacing is stored.
    for (const char* arrows : {"20", "0", "-5", "20px"}) {
        t.store->RegPrepare();
        t.store->SetKeyValue(ExportCommand::ArrowsKey, arrows);
        t.chosen = other + "/arrows.svg";
        t.c->Menu->actions()[6]->trigger();
        EXPECT_EQ(Bytes(t.chosen).count("<path") > 3, std::string(arrows) == "20") << arrows;
    }
    QFile::remove(t.chosen);

    // The drawings cleared while the file is written (by a picture that ends
    // loading, say): what was drawn is written whole, and forgotten after.
    for (const char* name : {"/cleared.json", "/cleared.svg"}) {
        QTest::mouseClick(t.c->pctMain, Qt::LeftButton, {}, QPoint(300, 150));
        const long points = t.c->pctMain->drawnLines().PointCount();
        t.chosen = other + name;
        QTimer::singleShot(0, t.c->pctMain, [&] { t.c->pctMain->clearDrawings(); });
        t.c->Menu->actions()[6]->trigger();
        EXPECT_GT(Bytes(t.chosen).size(), points * 8) << name;
        EXPECT_EQ(t.c->pctMain->drawnLines().PointCount(), 0);
        QFile::remove(t.chosen);
    }

    // A failed write: reported, the old file stays, nothing else is left.
    const QString target = other + "/b.svg";
    const QByteArray old = Bytes(target);
    t.chosen = target;
    t.errors.clear();
    {
        const test::FileSizeLimit limit(512);
        t.c->Menu->actions()[6]->trigger();
    }
    ASSERT_EQ(t.errors.size(), 1);
    EXPECT_TRUE(t.errors[0].contains(QDir::toNativeSeparators(target))) << t.errors[0].toStdString();
    EXPECT_EQ(Bytes(target), old);
    EXPECT_EQ(QDir(other).entryList(QDir::Files | QDir::Hidden),
              QStringList({"b.svg", "c.png", "d.json", "e.csv", "рисунок.pdf"}));
}

}  // namespace
}  // namespace tovik
