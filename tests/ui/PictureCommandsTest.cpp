#include <QDir>
#include <QFile>
#include <csignal>
#include <optional>
#include <sys/resource.h>
#include <unistd.h>

#include "picture/PictureFixtures.h"
#include "gui/TestWindow.h"

namespace tovik {
namespace {

const QStringList kQtFilters = {QStringLiteral("Графические файлы (*.bmp *.jpg *.gif *.wmf *.emf)"),
                                QStringLiteral("Все файлы (*)")};

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

TEST(PictureCommands, SaveWritesTheDrawingAreaAsBmpWhateverTheName) {
    Fixture f;
    f.Open(f.Path("picture.bmp"));
    f.PrepareAndDraw();
    const QStringList files = QDir(f.dir.path()).entryList(QDir::Files);
    f.Save("");  // cancelled
    EXPECT_EQ(QDir(f.dir.path()).entryList(QDir::Files), files);
    f.Save(f.Path("out.jpg"));
    f.Save(f.Path("picture.bmp"));  // over the current picture
    ASSERT_EQ(f.requests.size(), 4);
    for (int i = 1; i < 4; ++i) EXPECT_EQ(f.requests[i].kind, FileDialog::Kind::Save);
    EXPECT_EQ(f.requests[3].filters, kQtFilters);
    const QImage shown = f.c->pctMain->image().convertToFormat(QImage::Format_RGB32);
    for (const char* name : {"out.jpg", "picture.bmp"}) {
        QFile file(f.Path(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name;
        const QByteArray bytes = file.readAll();
        ASSERT_TRUE(bytes.startsWith("BM") && bytes.size() > 30) << name;
        EXPECT_EQ(static_cast<unsigned char>(bytes[28]), 24) << name;  // 24 bits a pixel
        EXPECT_EQ(QImage::fromData(bytes, "BMP").convertToFormat(QImage::Format_RGB32), shown) << name;
    }
    EXPECT_EQ(f.state.FileName, f.Path("picture.bmp").toStdString());
    EXPECT_TRUE(f.c->Command2->isEnabled());
    EXPECT_TRUE(f.errors.isEmpty());
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
