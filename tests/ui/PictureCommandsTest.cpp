#include <QDir>
#include <QFile>
#include <QMimeData>
#include <QUrl>
#include <csignal>
#include <optional>
#include <sys/resource.h>
#include <unistd.h>

#include "picture/PictureFixtures.h"
#include "gui/TestWindow.h"

namespace tovik {
namespace {

const QStringList kQtFilters = {QStringLiteral("Графические файлы (*.bmp *.jpg *.jpeg *.png *.gif *.wmf *.emf)"),
                                QStringLiteral("Все файлы (*)")};
const QStringList kSaveFilters = {QStringLiteral("Рисунок BMP (*.bmp)"), QStringLiteral("Рисунок PNG (*.png)")};

// A shown main window with a BMP and a WMF picture in its directory.
struct Fixture : test::TestWindow {
    Fixture() {
        window->show();
        Write("picture.bmp", test::EncodeWithQt(test::RasterPicture(), "BMP"));
        Write("picture.wmf", test::MakeWmf({}));
    }
    QString Path(const QString& name) const { return dir.filePath(name); }
    void Write(const QString& name, const QByteArray& bytes) { ASSERT_TRUE(test::WriteFile(Path(name), bytes)); }
    // "Открыть" or "Сохранить" with the dialog answering `answer` ("" cancels).
    void Open(const QString& answer) { chosen = answer; QTest::mouseClick(c->Command7, Qt::LeftButton); }
    void Save(const QString& answer) { chosen = answer; QTest::mouseClick(c->Command8, Qt::LeftButton); }
    std::string Stored() { return test::Stored(*store, "FileName"); }
    // The buttons as after a Preparation, and a line drawn across the picture.
    void PrepareAndDraw() {
        c->Command2->setEnabled(true);
        c->Command3->setText(QStringLiteral("Переподготовка"));
        c->pctMain->setForeColor(0xFFFFFF);
        c->pctMain->plot(5, 70);
        c->pctMain->lineTo(300, 70);
    }
};

TEST(PictureCommands, AnOpenedPictureReplacesTheOldOneAndItsLines) {
    const struct { const char* file; QPoint inside, outside; std::int32_t outsideColor; } cases[] = {
        {"picture.bmp", {30, 40}, {70, 40}, 0xFFFFFF},
        // What a metafile leaves unpainted shows the black background.
        {"picture.wmf", {50, 40}, {100, 40}, 0x000000},
    };
    Fixture f;
    f.Open("");  // first run, cancelled: nothing happens
    EXPECT_TRUE(f.state.FileName.empty());
    EXPECT_EQ(f.c->Command3->text(), QStringLiteral("Подготовка"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const QString previous = QString::fromStdString(f.state.FileName);
        f.PrepareAndDraw();
        f.Open(f.Path(c.file));
        const FileDialog::Request& asked = f.requests.back();
        EXPECT_EQ(asked.kind, FileDialog::Kind::Open);
        EXPECT_EQ(asked.fileName, previous);  // the dialog opens at the current picture
        EXPECT_EQ(asked.filters, kQtFilters);
        const PictureArea& area = *f.c->pctMain;
        EXPECT_EQ(area.pixel(c.inside.x(), c.inside.y()), 0xFF0000);  // blue
        EXPECT_EQ(area.pixel(c.outside.x(), c.outside.y()), c.outsideColor);
        EXPECT_EQ(area.pixel(250, 70), 0);   // the line is gone
        EXPECT_FALSE(f.c->Command2->isEnabled());
        EXPECT_EQ(f.c->Command3->text(), QStringLiteral("Подготовка"));
        EXPECT_EQ(f.state.FileName, f.Path(c.file).toStdString());
        EXPECT_EQ(f.Stored(), f.Path(c.file).toStdString());
    }
    EXPECT_TRUE(f.errors.isEmpty()) << f.errors.join('\n').toStdString();
}

// The current picture opened again, or a file that cannot be read (reported
// once; the loader's tests go through the ways a file can fail), changes
// nothing: neither the picture and its lines, nor the name, the stored name
// or the buttons.
TEST(PictureCommands, TheCurrentPictureOrAFileThatCannotBeReadChangesNothing) {
    const struct { const char* name; QByteArray bytes; int errors; } cases[] = {
        {"picture.bmp", {}, 0},
        {"garbage.jpg", QByteArray(500, 'x'), 1},
    };
    Fixture f;
    f.Open(f.Path("picture.bmp"));
    f.PrepareAndDraw();
    f.store->SetKeyValue("FileName", "marker");
    const QImage before = f.c->pctMain->image();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (!c.bytes.isEmpty()) f.Write(c.name, c.bytes);
        f.errors.clear();
        f.Open(f.Path(c.name));
        ASSERT_EQ(f.errors.size(), c.errors);
        for (const QString& e : f.errors)
            EXPECT_TRUE(e.contains(QDir::toNativeSeparators(f.Path(c.name)))) << e.toStdString();
        EXPECT_EQ(f.c->pctMain->image(), before);
        EXPECT_EQ(f.state.FileName, f.Path("picture.bmp").toStdString());
        EXPECT_EQ(f.Stored(), "marker");
        EXPECT_TRUE(f.c->Command2->isEnabled());
        EXPECT_EQ(f.c->Command3->text(), QStringLiteral("Переподготовка"));
    }
}

// PNG for a name ending in .png, BMP otherwise; a name of a format that is
// only read gets .bmp added.
TEST(PictureCommands, SaveWritesPngOrBmpByTheName) {
    const struct { const char *chosen, *written, *magic; } rows[] = {
        {"out.png", "out.png", "\x89PNG"}, {"OUT2.PNG", "OUT2.PNG", "\x89PNG"}, {"out.jpg", "out.jpg.bmp", "BM"},
        {"out.JPEG", "out.JPEG.bmp", "BM"}, {"out.gif", "out.gif.bmp", "BM"}, {"out.emf", "out.emf.bmp", "BM"},
        {"plain", "plain", "BM"}, {"picture.bmp", "picture.bmp", "BM"},  // over the current picture
    };
    Fixture f;
    f.Open(f.Path("picture.bmp"));
    f.PrepareAndDraw();
    const QStringList files = QDir(f.dir.path()).entryList(QDir::Files);
    f.Save("");  // cancelled
    EXPECT_EQ(QDir(f.dir.path()).entryList(QDir::Files), files);
    EXPECT_EQ(f.requests.back().filters, kSaveFilters);
    const QImage shown = f.c->pctMain->image().convertToFormat(QImage::Format_RGB32);
    for (const auto& r : rows) {
        SCOPED_TRACE(r.chosen);
        f.Save(f.Path(r.chosen));
        EXPECT_EQ(f.requests.back().kind, FileDialog::Kind::Save);
        EXPECT_TRUE(f.requests.back().fileName.isEmpty());
        QFile file(f.Path(r.written));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        ASSERT_TRUE(bytes.startsWith(r.magic));
        EXPECT_EQ(QImage::fromData(bytes).convertToFormat(QImage::Format_RGB32), shown);
        EXPECT_TRUE(bytes.startsWith("\x89PNG") || static_cast<unsigned char>(bytes[28]) == 24);  // BMP: 24 bits
    }
    EXPECT_FALSE(QFile::exists(f.Path("out.jpg")));
    EXPECT_EQ(f.state.FileName, f.Path("picture.bmp").toStdString());
    EXPECT_TRUE(f.c->Command2->isEnabled());
    EXPECT_TRUE(f.errors.isEmpty());
}

// A picture larger than the drawing area is opened, cut, with a notice that
// says so; a dropped file opens as "Открыть" would, two files do not.
TEST(PictureCommands, ALargePictureIsOpenedByDropWithANoticeOfTheCut) {
    Fixture f;
    QImage large(1200, 600, QImage::Format_RGB32);
    large.fill(Qt::blue);
    f.Write("large.bmp", test::EncodeWithQt(large, "BMP"));
    const auto drop = [&](const QList<QUrl>& urls) {
        QMimeData data;
        data.setUrls(urls);
        QDragEnterEvent enter(QPoint(400, 300), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(f.window.get(), &enter);
        if (!enter.isAccepted()) return false;
        QDropEvent dropped(QPointF(400, 300), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(f.window.get(), &dropped);
        QCoreApplication::processEvents();
        return true;
    };
    const QUrl file = QUrl::fromLocalFile(f.Path("large.bmp"));
    EXPECT_FALSE(drop({file, QUrl::fromLocalFile(f.Path("picture.bmp"))}));
    EXPECT_FALSE(drop({QUrl("https://example.org/a.bmp")}));
    f.PrepareAndDraw();
    ASSERT_TRUE(drop({file}));
    EXPECT_EQ(f.state.FileName, f.Path("large.bmp").toStdString());
    EXPECT_FALSE(f.c->Command2->isEnabled());
    const QLabel* notice = test::Controls::Find<QLabel>(*f.window, "lblNotice");
    EXPECT_TRUE(notice->isVisible());
    EXPECT_TRUE(notice->text().contains(QStringLiteral("1200 × 600")) && notice->text().contains("781 × 469"))
        << notice->text().toStdString();
    f.Open(f.Path("picture.bmp"));  // fits: no notice
    EXPECT_FALSE(notice->isVisible());
}

TEST(PictureCommands, TheOpenDialogStartsInTheExamplesUntilAPictureIsOpened) {
    test::TestWindow t(false);
    t.services.examplesFolder = QStringLiteral("/usr/share/tovik/examples");
    t.Create();
    QTest::mouseClick(t.c->Command7, Qt::LeftButton);  // cancelled
    EXPECT_TRUE(t.requests.back().fileName.isEmpty());
    EXPECT_EQ(t.requests.back().directory, t.services.examplesFolder);
    EXPECT_TRUE(t.errors.isEmpty() && t.state.FileName.empty());  // the folder is not opened
}

TEST(PictureCommands, AFailedSaveIsReportedAndLeavesTheExistingFileIntact) {
    enum class Way { DiskFull, TargetIsFolder, ParentIsFile, ReadOnlyFolder };
    Fixture f;
    f.Open(f.Path("picture.bmp"));
    for (Way way : {Way::DiskFull, Way::TargetIsFolder, Way::ParentIsFile, Way::ReadOnlyFolder}) {
        SCOPED_TRACE(static_cast<int>(way));
        if (way == Way::ReadOnlyFolder && geteuid() == 0) continue;  // root writes anywhere
        QTemporaryDir dir;
        ASSERT_TRUE(test::WriteFile(dir.filePath("existing.bmp"), "old contents"));
        ASSERT_TRUE(way != Way::TargetIsFolder || QDir(dir.path()).mkdir("folder.bmp"));
        const QString target = dir.filePath(way == Way::TargetIsFolder ? "folder.bmp"
                                            : way == Way::ParentIsFile ? "existing.bmp/inner.bmp"
                                                                       : "existing.bmp");
        if (way == Way::ReadOnlyFolder) QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
        f.errors.clear();
        {
            std::optional<test::FileSizeLimit> limit;
            if (way == Way::DiskFull) limit.emplace(4096);
            f.Save(target);
        }
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        ASSERT_EQ(f.errors.size(), 1);
        EXPECT_TRUE(f.errors[0].contains(QDir::toNativeSeparators(target))) << f.errors[0].toStdString();
        QFile existing(dir.filePath("existing.bmp"));
        ASSERT_TRUE(existing.open(QIODevice::ReadOnly));
        EXPECT_EQ(existing.readAll(), "old contents");
        // No temporary file is left behind.
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"existing.bmp"});
    }
}

}  // namespace
}  // namespace tovik
