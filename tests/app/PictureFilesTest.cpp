#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <cstdlib>
#include <memory>
#include <sys/resource.h>
#include <unistd.h>

#include "app/FileDialog.h"
#include "app/MetafileDecoder.h"
#include "app/PictureFiles.h"
#include "app/PictureFixtures.h"
#include "gui/TestWindow.h"
#include "ui/PictureArea.h"

namespace tovik {
namespace {

const QStringList kQtFilters = {QStringLiteral("Графические файлы (*.bmp *.jpg *.gif *.wmf *.emf)"),
                                QStringLiteral("Все файлы (*)")};

// Answers the file dialogs from a list instead of showing them ("" is a
// cancel) and keeps what each was asked to show.
struct ScriptedDialogs {
    ScriptedDialogs() {
        FileDialog::SetRunner([this](QWidget*, const FileDialog::Request& r) {
            requests << r;
            return answers.isEmpty() ? QString() : answers.takeFirst();
        });
    }
    ~ScriptedDialogs() { FileDialog::ResetRunner(); }
    QList<FileDialog::Request> requests;
    QStringList answers;
};

// A main window with pictures of every kind in its temporary directory.
struct Fixture {
    Fixture() {
        t.window->show();
        const QImage raster = test::RectanglePicture({120, 80}, {20, 30, 40, 20}, Qt::blue);
        Write("picture.bmp", test::EncodeWithQt(raster, "BMP"));
        Write("picture.jpg", test::EncodeWithQt(raster, "JPEG"));
        Write("picture.gif", test::EncodeGif(raster));
        test::WmfPicture w;
        w.box = QRect(0, 0, 200, 100);
        w.windowExt = QSize(200, 100);
        w.rect = QRect(40, 30, 40, 30);
        Write("picture.wmf", test::MakeWmf(w));
        test::EmfPicture e;
        e.frame = QRect(0, 0, 5080, 2540);
        e.rect = QRect(40, 30, 40, 30);
        Write("picture.emf", test::MakeEmf(e));
    }
    QString Path(const QString& name) const { return t.dir.filePath(name); }
    void Write(const QString& name, const QByteArray& bytes) { ASSERT_TRUE(test::WriteFile(Path(name), bytes)); }
    void Open(const QString& answer) {
        dialogs.answers << answer;
        QTest::mouseClick(t.window->Command7, Qt::LeftButton);
    }
    void Save(const QString& answer) {
        dialogs.answers << answer;
        QTest::mouseClick(t.window->Command8, Qt::LeftButton);
    }
    std::string Stored() {
        std::string text;
        t.store->GetKeyValue(KeyRoot::CurrentUser, SettingsStore::KeyPath, "FileName", text);
        return text;
    }
    void DrawLine() {
        t.window->pctMain->setForeColor(0xFFFFFF);
        t.window->pctMain->plot(5, 70);
        t.window->pctMain->lineTo(300, 70);
    }
    MainWindow& w() { return *t.window; }

    test::TestWindow t;
    ScriptedDialogs dialogs;
};

struct OpenCase {
    const char* file;
    QPoint inside;
    QPoint outside;
    std::int32_t outsideColor;  // 0x00BBGGRR on the picture area
};

// Each of the three 8-bit parts of two 0x00BBGGRR colours within 8 (JPEG).
bool ColorNear(std::int32_t a, std::int32_t b) {
    for (int shift = 0; shift < 24; shift += 8)
        if (std::abs(((a >> shift) & 0xFF) - ((b >> shift) & 0xFF)) > 8) return false;
    return true;
}

TEST(PictureFiles, EachFormatOpensInTheWindow) {
    const OpenCase cases[] = {
        {"picture.bmp", {30, 40}, {70, 40}, 0xFFFFFF},
        {"picture.jpg", {30, 40}, {70, 40}, 0xFFFFFF},
        {"picture.gif", {30, 40}, {70, 40}, 0xFFFFFF},
        // What a metafile leaves unpainted shows the black background.
        {"picture.wmf", {50, 40}, {100, 40}, 0x000000},
        {"picture.emf", {50, 40}, {100, 40}, 0x000000},
    };
    Fixture f;
    f.Open("");  // first run, cancelled: nothing happens
    EXPECT_TRUE(f.w().state().FileName.empty());
    EXPECT_EQ(f.w().Command3->text(), QStringLiteral("Подготовка"));
    for (const OpenCase& c : cases) {
        SCOPED_TRACE(c.file);
        const QString previous = QString::fromStdString(f.w().state().FileName);
        f.w().Command2->setEnabled(true);
        f.w().Command3->setText(QStringLiteral("Переподготовка"));
        f.DrawLine();
        f.Open(f.Path(c.file));
        const FileDialog::Request& asked = f.dialogs.requests.last();
        EXPECT_EQ(asked.kind, FileDialog::Kind::Open);
        EXPECT_EQ(asked.fileName, previous);  // the dialog opens at the current picture
        EXPECT_EQ(asked.filters, kQtFilters);
        EXPECT_EQ(asked.selectedFilter, kQtFilters[0]);
        const PictureArea& area = *f.w().pctMain;
        EXPECT_TRUE(ColorNear(area.pixel(c.inside.x(), c.inside.y()), 0xFF0000));  // blue
        EXPECT_TRUE(ColorNear(area.pixel(c.outside.x(), c.outside.y()), c.outsideColor));
        EXPECT_EQ(area.pixel(400, 300), 0);  // beyond the picture
        EXPECT_EQ(area.pixel(250, 70), 0);   // the line is gone
        EXPECT_FALSE(f.w().Command2->isEnabled());
        EXPECT_EQ(f.w().Command3->text(), QStringLiteral("Подготовка"));
        EXPECT_EQ(f.w().state().FileName, f.Path(c.file).toStdString());
        EXPECT_EQ(f.Stored(), f.Path(c.file).toStdString());
    }
    EXPECT_TRUE(f.t.errors.isEmpty()) << f.t.errors.join('\n').toStdString();
}

TEST(PictureFiles, OpeningTheCurrentPictureAgainChangesNothing) {
    Fixture f;
    f.Open(f.Path("picture.bmp"));
    f.w().Command2->setEnabled(true);
    f.DrawLine();
    f.w().store().RegPrepare();
    f.w().store().SetKeyValue("FileName", "marker");
    const QImage before = f.w().pctMain->image();
    f.Open(f.Path("picture.bmp"));
    EXPECT_EQ(f.w().pctMain->image(), before);
    EXPECT_TRUE(f.w().Command2->isEnabled());
    EXPECT_EQ(f.Stored(), "marker");
    EXPECT_TRUE(f.t.errors.isEmpty());
}

struct BrokenOpen {
    const char* name;
    QByteArray bytes;
    const char* helperScript;  // replaces the metafile helper when set
};

QByteArray HeaderOnlyEmf() {
    test::EmfPicture e;
    e.frame = QRect(0, 0, 2540, 2540);
    e.rect = QRect(10, 10, 10, 10);
    return test::MakeEmf(e).left(108);
}

TEST(PictureFiles, AFileThatCannotBeReadChangesNothingAndIsReportedOnce) {
    const BrokenOpen cases[] = {
        {"missing.bmp", {}, nullptr},
        {"empty.bmp", QByteArray(), nullptr},
        {"garbage.jpg", QByteArray(500, 'x'), nullptr},
        {"cut.jpg", test::EncodeWithQt(test::RectanglePicture({64, 64}, {8, 8, 8, 8}, Qt::blue), "JPEG").left(400),
         nullptr},
        {"header.emf", HeaderOnlyEmf(), nullptr},
        {"crashing.wmf", QByteArray::fromHex("d7cdc69a") + QByteArray(60, '\0'), "kill -SEGV $$"},
    };
    Fixture f;
    f.Open(f.Path("picture.bmp"));
    f.w().Command2->setEnabled(true);
    f.w().Command3->setText(QStringLiteral("Переподготовка"));
    f.DrawLine();
    const QImage before = f.w().pctMain->image();
    const std::string name = f.w().state().FileName;
    QTemporaryDir scripts;
    for (const BrokenOpen& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = f.Path(c.name);
        if (QByteArray(c.name) != "missing.bmp") f.Write(c.name, c.bytes);
        if (c.helperScript) {
            const QString script = scripts.filePath("helper");
            test::WriteFile(script, QByteArray("#!/bin/sh\n") + c.helperScript + "\n");
            QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            SetMetafileHelperOverride(script);
        }
        f.t.errors.clear();
        f.Open(path);
        SetMetafileHelperOverride(QString());
        ASSERT_EQ(f.t.errors.size(), 1);
        EXPECT_TRUE(f.t.errors[0].contains(QDir::toNativeSeparators(path))) << f.t.errors[0].toStdString();
        EXPECT_EQ(f.w().pctMain->image(), before);
        EXPECT_EQ(f.w().state().FileName, name);
        EXPECT_EQ(f.Stored(), name);
        EXPECT_TRUE(f.w().Command2->isEnabled());
        EXPECT_EQ(f.w().Command3->text(), QStringLiteral("Переподготовка"));
    }
}

bool IsBmpOf(const QString& path, const QImage& expected) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QByteArray bytes = file.readAll();
    if (!bytes.startsWith("BM") || bytes.size() < 30) return false;
    if (static_cast<unsigned char>(bytes[28]) != 24) return false;  // 24 bits a pixel
    QImage read;
    return read.loadFromData(bytes, "BMP") &&
           read.convertToFormat(QImage::Format_RGB32) == expected.convertToFormat(QImage::Format_RGB32);
}

TEST(PictureFiles, SaveWritesTheDrawingAreaAsBmpWhateverTheName) {
    Fixture f;
    f.Open(f.Path("picture.gif"));
    f.w().Command2->setEnabled(true);
    f.DrawLine();
    const QStringList files = QDir(f.t.dir.path()).entryList(QDir::Files);
    f.Save("");  // cancelled
    EXPECT_EQ(QDir(f.t.dir.path()).entryList(QDir::Files), files);
    f.Save(f.Path("out.jpg"));
    f.Save(f.Path("out"));
    f.Save(f.Path("picture.gif"));  // over the current picture
    ASSERT_EQ(f.dialogs.requests.size(), 5);
    for (int i = 1; i < 5; ++i) {
        EXPECT_EQ(f.dialogs.requests[i].kind, FileDialog::Kind::Save);
        EXPECT_TRUE(f.dialogs.requests[i].fileName.isEmpty());
        EXPECT_EQ(f.dialogs.requests[i].filters, kQtFilters);
        EXPECT_EQ(f.dialogs.requests[i].selectedFilter, kQtFilters[0]);
    }
    const QImage shown = f.w().pctMain->image();
    EXPECT_EQ(shown.size(), QSize(781, 469));
    for (const char* name : {"out.jpg", "out", "picture.gif"}) EXPECT_TRUE(IsBmpOf(f.Path(name), shown)) << name;
    EXPECT_EQ(f.w().state().FileName, f.Path("picture.gif").toStdString());
    EXPECT_EQ(f.Stored(), f.Path("picture.gif").toStdString());
    EXPECT_TRUE(f.w().Command2->isEnabled());
    EXPECT_TRUE(f.t.errors.isEmpty());
}

// Lets no file grow past a few kilobytes while it lives: writes fail the way
// they do on a full disk, whoever runs the test.
struct FileSizeLimit {
    FileSizeLimit() {
        getrlimit(RLIMIT_FSIZE, &saved);
        previous = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = saved;
        small.rlim_cur = 4096;
        setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previous);
    }
    rlimit saved{};
    void (*previous)(int) = nullptr;
};

TEST(PictureFiles, AFailedSaveIsReportedAndLeavesTheExistingFileIntact) {
    enum class Way { DiskFull, TargetIsFolder, ParentIsFile, ReadOnlyFolder };
    const struct {
        const char* name;
        Way way;
    } cases[] = {{"disk full", Way::DiskFull},
                 {"target is a folder", Way::TargetIsFolder},
                 {"parent is a file", Way::ParentIsFile},
                 {"read-only folder", Way::ReadOnlyFolder}};
    Fixture f;
    f.Open(f.Path("picture.bmp"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.way == Way::ReadOnlyFolder && geteuid() == 0) continue;  // root writes anywhere
        QTemporaryDir dir;
        QString target = dir.filePath("existing.bmp");
        ASSERT_TRUE(test::WriteFile(target, "old contents"));
        if (c.way == Way::TargetIsFolder) {
            target = dir.filePath("folder.bmp");
            ASSERT_TRUE(QDir(dir.path()).mkdir("folder.bmp"));
        }
        if (c.way == Way::ParentIsFile) target = dir.filePath("existing.bmp/inner.bmp");
        if (c.way == Way::ReadOnlyFolder)
            QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
        f.t.errors.clear();
        {
            std::unique_ptr<FileSizeLimit> limit;
            if (c.way == Way::DiskFull) limit = std::make_unique<FileSizeLimit>();
            f.Save(target);
        }
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        ASSERT_EQ(f.t.errors.size(), 1);
        EXPECT_TRUE(f.t.errors[0].contains(QDir::toNativeSeparators(target))) << f.t.errors[0].toStdString();
        QFile existing(dir.filePath("existing.bmp"));
        ASSERT_TRUE(existing.open(QIODevice::ReadOnly));
        EXPECT_EQ(existing.readAll(), "old contents");
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                  QStringList{"existing.bmp"});  // no temporary file left behind
    }
}

struct FilterCase {
    QString filter;
    QStringList qt;
};

TEST(FileDialog, FiltersAreTranslatedToQtsForm) {
    const FilterCase cases[] = {
        {kPictureFilter, kQtFilters},
        {"Text|*.txt", {"Text (*.txt)"}},
        {"A| *.a ; *.b |B|*.*;*.c", {"A (*.a *.b)", "B (* *.c)"}},
        {"Odd", {"Odd (*)"}},
        {"", {}},
    };
    for (const FilterCase& c : cases) {
        SCOPED_TRACE(c.filter.toStdString());
        EXPECT_EQ(FileDialog::QtFilters(c.filter), c.qt);
    }
}

}  // namespace
}  // namespace tovik
