#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <csignal>
#include <memory>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/resource.h>

#include "picture/PictureFixtures.h"
#include "picture/PictureWriter.h"

namespace tovik {
namespace {

TEST(PictureWriter, AWriteThatFailsIsReportedAndTheOldFileStays) {
    // Both pictures are far smaller than the write buffer of Qt's files, so
    // the failure comes when the buffer is flushed, as the file is closed.
    const QImage picture = test::RectanglePicture({60, 40}, {10, 10, 20, 20}, Qt::blue);  // 7 KB as BMP
    const QByteArray old(3000, 'o');
    for (const bool tmpfs : {true, false}) {
        for (const char* format : {"BMP", "PNG"}) {
            SCOPED_TRACE(std::string(tmpfs ? "full tmpfs, " : "file size limit, ") + format);
            test::SmallTmpfs disk;
            if (tmpfs && !disk.mounted) {
                std::printf("a small tmpfs cannot be mounted here: the full-disk case is skipped\n");
                continue;
            }
            const QString path = disk.dir.filePath("picture.out");
            ASSERT_TRUE(test::WriteFile(path, old));
            QString error;
            bool written = true;
            if (tmpfs) {
                ASSERT_TRUE(disk.Fill());
                written = WritePictureFile(picture, path, format, &error);
            } else {
                const test::FileSizeLimit limit(64);
                written = WritePictureFile(picture, path, format, &error);
            }
            EXPECT_FALSE(written);
            EXPECT_TRUE(error.contains(QDir::toNativeSeparators(path))) << error.toStdString();
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            EXPECT_EQ(file.readAll(), old);
            EXPECT_EQ(QDir(disk.dir.path()).entryList(QDir::Files | QDir::Hidden).size(), tmpfs ? 2 : 1);
            // With room again, the same write succeeds and replaces the file.
            QFile::remove(disk.dir.filePath("filler"));
            ASSERT_TRUE(WritePictureFile(picture, path, format, &error)) << error.toStdString();
            EXPECT_EQ(QImage(path, format).convertToFormat(QImage::Format_RGB32), picture);
        }
    }
}

TEST(PictureWriter, OnlyRegularFilesAreWrittenAndLinksToThemWrittenThrough) {
    const QImage picture = test::RectanglePicture({20, 10}, {2, 2, 5, 5}, Qt::blue);
    QTemporaryDir dir;
    const QByteArray fifo = QFile::encodeName(dir.filePath("fifo")), node = QFile::encodeName(dir.filePath("node"));
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    const bool device = ::mknod(node.constData(), S_IFCHR | 0600, makedev(1, 3)) == 0;  // as /dev/null
    if (!device) std::printf("mknod is not allowed here: the device case is skipped\n");
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder") && test::WriteFile(dir.filePath("file"), "old"));
    ASSERT_TRUE(QFile::link(dir.filePath("fifo"), dir.filePath("to-fifo")));
    ASSERT_TRUE(QFile::link("file", dir.filePath("to-file")));
    const QStringList before = QDir(dir.path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    const struct { const char* name; bool written; } rows[] = {
        {"fifo", false}, {"node", false}, {"folder", false}, {"to-fifo", false}, {"to-file", true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        if (!device && std::string(row.name) == "node") continue;
        const QFileInfo old(dir.filePath(row.name));
        QString error;
        EXPECT_EQ(WritePictureFile(picture, dir.filePath(row.name), "BMP", &error), row.written);
        EXPECT_EQ(error.contains("не обычный файл"), !row.written) << error.toStdString();
        const QFileInfo now(dir.filePath(row.name));
        EXPECT_EQ(now.isSymLink(), old.isSymLink());
        EXPECT_EQ(now.isFile(), old.isFile());
        EXPECT_EQ(now.isDir(), old.isDir());
    }
    EXPECT_EQ(QImage(dir.filePath("file"), "BMP").convertToFormat(QImage::Format_RGB32), picture);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot), before);
}

}  // namespace
}  // namespace tovik
