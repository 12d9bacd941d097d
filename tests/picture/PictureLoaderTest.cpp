#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdlib>

#include "picture/PictureFixtures.h"
#include "picture/PictureFormat.h"
#include "picture/PictureLoader.h"
#include "picture/RasterFormat.h"

namespace tovik {
namespace {

using test::WmfPicture;

struct Sample {
    QPoint at;
    QColor expected;  // alpha 0: nothing painted there
};

const QColor kClear(0, 0, 0, 0);
const QVector<Sample> kRasterSamples = {{{21, 31}, Qt::blue},   {{58, 48}, Qt::blue},   {{5, 5}, Qt::white},
                                        {{62, 40}, Qt::white},  {{40, 52}, Qt::white},  {{17, 40}, Qt::white}};
// Points well inside and outside the rectangle: the drawing keeps its place in
// the frame instead of being stretched over the whole picture.
const QVector<Sample> kMetafileSamples = {{{42, 32}, Qt::blue}, {{77, 57}, Qt::blue}, {{10, 10}, kClear},
                                          {{90, 45}, kClear},   {{60, 70}, kClear},   {{30, 45}, kClear}};

bool Near(QColor a, QColor b, int tolerance) {
    if (b.alpha() == 0) return a.alpha() == 0;
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance && a.alpha() == 255;
}

// The same 200 x 100 picture in twips, with and without an anisotropic mapping mode.
WmfPicture WmfTwips(int mapMode) {
    return {.box = {0, 0, 3000, 1500}, .inch = 1440, .mapMode = mapMode, .windowExt = {3000, 1500},
            .rect = {600, 450, 600, 450}};
}

// ManyScanJpeg(3000) with a comment segment of length 0 before its scans:
// libjpeg reads no data for it and finds the scans that follow.
QByteArray ScansBehindABadLength() {
    QByteArray jpeg = test::ManyScanJpeg(3000);
    return jpeg.insert(jpeg.indexOf("\xFF\xDA"), QByteArray("\xFF\xFE\x00\x00", 4));
}

TEST(PictureLoader, EachFormatDecodesToItsPixels) {
    const QImage raster = test::RasterPicture();
    const QByteArray wmf = test::MakeWmf({});
    const QSize rasterSize(120, 80), wmfSize(200, 100);
    const struct {
        const char* name;
        QByteArray bytes;
        QSize size;
        int tolerance;
    } cases[] = {
        {"picture.bmp", test::EncodeWithQt(raster, "BMP"), rasterSize, 0},
        {"picture.jpg", test::EncodeWithQt(raster, "JPEG"), rasterSize, 24},
        {"picture.gif", test::EncodeGif(raster), rasterSize, 0},
        {"picture.png", test::EncodeWithQt(raster, "PNG"), rasterSize, 0},
        {"picture.wmf", wmf, wmfSize, 0},
        {"twips.wmf", test::MakeWmf(WmfTwips(0)), wmfSize, 0},
        {"anisotropic.wmf", test::MakeWmf(WmfTwips(8)), wmfSize, 0},
        {"origin.wmf", test::MakeWmf({.box = {100, 50, 200, 100}, .windowOrg = {100, 50}, .rect = {140, 80, 40, 30}}),
         wmfSize, 0},
        {"nowindow.wmf", test::MakeWmf({.setWindow = false}), wmfSize, 0},
        {"plain.wmf", test::MakeWmf({.placeable = false}), wmfSize, 0},  // one window unit is one pixel
        {"picture.emf", test::MakeEmf(), {192, 96}, 0},
        // The format is told by content, not by the name.
        {"really-a-gif.bmp", test::EncodeGif(raster), rasterSize, 0},
        {"really-a-wmf.txt", wmf, wmfSize, 0},
    };
    QTemporaryDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.filePath(c.name);
        ASSERT_TRUE(test::WriteFile(path, c.bytes));
        QImage img;
        QString error;
        ASSERT_TRUE(LoadPictureFile(path, &img, &error)) << error.toStdString();
        EXPECT_TRUE(error.isEmpty());
        ASSERT_EQ(img.size(), c.size);
        for (const Sample& s : c.size == rasterSize ? kRasterSamples : kMetafileSamples) {
            const QColor got = img.pixelColor(s.at);
            EXPECT_TRUE(Near(got, s.expected, c.tolerance))
                << "at " << s.at.x() << "," << s.at.y() << ": " << got.name(QColor::HexArgb).toStdString();
        }
    }
}

QByteArray Cut(const QByteArray& bytes, double keep) { return bytes.left(qsizetype(bytes.size() * keep)); }

// 39 bytes: a header announcing a 1.5 GB record, then the start of a record.
QByteArray Wmf39() {
    test::LeBytes b;
    b.u16(1).u16(9).u16(0x0300).u32(20).u16(1).u32(0x2E000000u).u16(0);
    b.u32(5).u16(0x020B).u16(0).u16(0).u32(3).u16(0).u8(0).u8(0).u8(0);
    return b.data.left(39);
}

TEST(PictureLoader, BrokenFilesAreRefusedWithAMessageNamingThem) {
    const int side = int(metafile::kMaxPictureSide) + 1;
    const struct {
        const char* name;
        QByteArray bytes;  // written as the file, but for the first two
        const char* says;  // part of the message
    } cases[] = {
        {"missing.bmp", {}, "не найден"},
        {"folder.bmp", {}, "не файл"},
        {"empty.bmp", QByteArray(), "пуст"},
        {"text.bmp", "This is not a picture at all.\n", "не удаётся прочитать как рисунок"},
        {"cut.bmp", Cut(test::EncodeWithQt(test::RasterPicture(), "BMP"), 0.6), "обрезан"},
        {"cut.png", Cut(test::EncodeWithQt(test::RasterPicture(), "PNG"), 0.6), "не удаётся прочитать"},
        {"wide.bmp", test::EncodeWithQt(test::RectanglePicture({9000, 2}, {}, Qt::blue), "BMP"), "слишком велик"},
        {"w39.wmf", Wmf39(), "повреждён"},
        {"cut.wmf", Cut(test::MakeWmf({}), 0.8), "повреждён"},
        {"wide.wmf", test::MakeWmf({.box = {0, 0, side, 10}, .windowExt = {side, 10}}), "слишком велик"},
        {"header-only.emf", test::MakeEmf().left(108), "повреждён"},
        {"cut.emf", Cut(test::MakeEmf(), 0.9), "повреждён"},
        // Pictures that used to hang the program or bloat it: refused at once.
        {"fan-out-svg.bmp", test::FanOutSvg(), "не удаётся прочитать как рисунок"},
        {"3000-scans.jpg", test::ManyScanJpeg(3000), "не удаётся прочитать как рисунок"},
        {"3000-scans-bad-length.jpg", ScansBehindABadLength(), "не удаётся прочитать как рисунок"},
        {"30-scans-8192x4096.jpg", test::ManyScanJpeg(30), "не удаётся прочитать как рисунок"},
        {"114-bytes.bmp", test::HugeRleBmp(), "слишком велик"},
    };
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.bmp"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.filePath(c.name);
        if (&c - cases >= 2) {
            ASSERT_TRUE(test::WriteFile(path, c.bytes));
        }
        QImage img(3, 3, QImage::Format_RGB32);
        img.fill(Qt::red);
        const QImage before = img;
        QString error;
        EXPECT_FALSE(LoadPictureFile(path, &img, &error));
        EXPECT_EQ(img, before);
        EXPECT_TRUE(error.contains(QDir::toNativeSeparators(path))) << error.toStdString();
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.says), Qt::CaseInsensitive)) << error.toStdString();
    }
}

TEST(PictureFormat, CutShortFilesAreTold) {
    const QByteArray bmp = test::EncodeWithQt(test::RasterPicture(), "BMP");
    const QByteArray jpeg = test::EncodeWithQt(test::RasterPicture(), "JPEG");
    const QByteArray gif = test::EncodeGif(test::RasterPicture());
    // An application segment whose data holds an end-of-image marker (as an
    // embedded thumbnail does) must not hide a cut in the image itself.
    const QByteArray thumb = jpeg.left(2) + QByteArray("\xFF\xE1\x00\x06\xFF\xD9\x00\x00", 8) + jpeg.mid(2);
    const struct {
        const char* name;
        PictureKind kind;
        QByteArray bytes;
        bool cut;
    } cases[] = {
        {"bmp whole", PictureKind::Bmp, bmp, false},
        {"bmp with trailing bytes", PictureKind::Bmp, bmp + "tail", false},
        {"bmp without its last row", PictureKind::Bmp, bmp.left(bmp.size() - 4), true},
        {"bmp header only", PictureKind::Bmp, bmp.left(54), true},
        {"jpeg whole", PictureKind::Jpeg, jpeg, false},
        {"jpeg with trailing bytes", PictureKind::Jpeg, jpeg + "tail", false},
        {"jpeg without its end marker", PictureKind::Jpeg, jpeg.left(jpeg.size() - 2), true},
        {"jpeg cut in its tables", PictureKind::Jpeg, jpeg.left(100), true},
        {"jpeg with a marker in a segment", PictureKind::Jpeg, thumb, false},
        {"jpeg with a marker in a segment, cut", PictureKind::Jpeg, Cut(thumb, 0.8), true},
        {"gif whole", PictureKind::Gif, gif, false},
        {"gif without its trailer", PictureKind::Gif, gif.left(gif.size() - 1), false},
        {"gif cut in its image", PictureKind::Gif, gif.left(gif.size() - 10), true},
        {"gif cut in its palette", PictureKind::Gif, gif.left(300), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(SniffPicture(c.bytes), c.kind);
        EXPECT_EQ(PictureCutShort(c.kind, c.bytes), c.cut);
    }
}

TEST(PictureFormat, HeadersTellTheSizeAndTheScansBeforeDecoding) {
    const QImage picture = test::RasterPicture();
    const QByteArray progressive = test::ManyScanJpeg(0);
    const struct {
        const char* name;
        QByteArray bytes;
        PictureKind kind;
        QSize size;  // invalid: not told
        int scans;
    } cases[] = {
        {"bmp", test::EncodeWithQt(picture, "BMP"), PictureKind::Bmp, {120, 80}, 0},
        {"top-down run-length bmp", test::HugeRleBmp(), PictureKind::Bmp, {29000, 1000}, 0},
        {"jpeg", test::EncodeWithQt(picture, "JPEG"), PictureKind::Jpeg, {120, 80}, 1},
        {"progressive jpeg", progressive, PictureKind::Jpeg, {8192, 4096}, JpegScanCount(progressive)},
        {"jpeg with 3000 scans more", test::ManyScanJpeg(3000), PictureKind::Jpeg, {8192, 4096},
         JpegScanCount(progressive) + 3000},
        {"the same behind a bad length", ScansBehindABadLength(), PictureKind::Jpeg, {8192, 4096},
         JpegScanCount(progressive) + 3000},
        {"gif", test::EncodeGif(picture), PictureKind::Gif, {120, 80}, 0},
        {"png", test::EncodeWithQt(picture, "PNG"), PictureKind::Png, {120, 80}, 0},
        {"svg", test::FanOutSvg(), PictureKind::Other, {}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(SniffPicture(c.bytes.left(kSniffBytes)), c.kind);
        qint64 width = 0, height = 0;
        ASSERT_EQ(DeclaredPictureSize(c.kind, c.bytes, &width, &height), c.size.isValid());
        if (c.size.isValid()) {
            EXPECT_EQ(QSize(int(width), int(height)), c.size);
        }
        if (c.kind == PictureKind::Jpeg) {
            EXPECT_EQ(JpegScanCount(c.bytes), c.scans);
        }
    }
    EXPECT_GT(JpegScanCount(progressive), 2);
}

}  // namespace
}  // namespace tovik
