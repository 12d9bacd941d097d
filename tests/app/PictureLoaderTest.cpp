#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdlib>

#include "app/MetafileDecoder.h"
#include "app/PictureFixtures.h"
#include "app/PictureFormat.h"
#include "app/PictureLoader.h"
#include "app/metafile/RasterFormat.h"

namespace tovik {
namespace {

using test::EmfPicture;
using test::WmfPicture;

// Raster pictures: 120 x 80, blue on white at x 20..59, y 30..49.
const QRect kRasterRect(20, 30, 40, 20);
QImage RasterPicture() { return test::RectanglePicture({120, 80}, kRasterRect, Qt::blue); }

// Metafile pictures: 200 x 100 pixels (192 x 96 for the EMF), blue at
// x 40..79, y 30..59, nothing painted elsewhere.
WmfPicture Wmf96() {
    WmfPicture w;
    w.box = QRect(0, 0, 200, 100);
    w.windowExt = QSize(200, 100);
    w.rect = QRect(40, 30, 40, 30);
    return w;
}

WmfPicture WmfTwips(int mapMode) {
    WmfPicture w;
    w.box = QRect(0, 0, 3000, 1500);
    w.inch = 1440;
    w.mapMode = mapMode;
    w.windowExt = QSize(3000, 1500);
    w.rect = QRect(600, 450, 600, 450);
    return w;
}

WmfPicture WmfMovedOrigin() {
    WmfPicture w = Wmf96();
    w.box = QRect(100, 50, 200, 100);
    w.windowOrg = QPoint(100, 50);
    w.rect = QRect(140, 80, 40, 30);
    return w;
}

WmfPicture WmfWithoutWindow() {
    WmfPicture w = Wmf96();
    w.setWindow = false;
    return w;
}

WmfPicture WmfPlain() {  // no placeable header: one window unit is one pixel
    WmfPicture w = Wmf96();
    w.placeable = false;
    return w;
}

QByteArray Emf() {
    EmfPicture e;
    e.frame = QRect(0, 0, 5080, 2540);  // 192 x 96 pixels at 96 dpi
    e.rect = QRect(40, 30, 40, 30);
    return test::MakeEmf(e);
}

struct Sample {
    QPoint at;
    QColor expected;  // alpha 0: nothing painted there
};

struct FormatCase {
    const char* name;
    QByteArray bytes;
    QSize size;
    int tolerance;
    QVector<Sample> samples;
};

const QColor kClear(0, 0, 0, 0);

QVector<Sample> RasterSamples() {
    return {{{21, 31}, Qt::blue}, {{58, 48}, Qt::blue}, {{5, 5}, Qt::white},
            {{62, 40}, Qt::white}, {{40, 52}, Qt::white}, {{17, 40}, Qt::white}};
}

// Points well inside and outside the rectangle: the drawing keeps its place in
// the frame instead of being stretched over the whole picture.
QVector<Sample> MetafileSamples() {
    return {{{42, 32}, Qt::blue}, {{77, 57}, Qt::blue}, {{10, 10}, kClear},
            {{90, 45}, kClear},  {{60, 70}, kClear},   {{30, 45}, kClear}};
}

bool Near(QColor a, QColor b, int tolerance) {
    if (b.alpha() == 0) return a.alpha() == 0;
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance && a.alpha() == 255;
}

TEST(PictureLoader, EachFormatDecodesToItsPixels) {
    const FormatCase cases[] = {
        {"picture.bmp", test::EncodeWithQt(RasterPicture(), "BMP"), {120, 80}, 0, RasterSamples()},
        {"picture.jpg", test::EncodeWithQt(RasterPicture(), "JPEG"), {120, 80}, 24, RasterSamples()},
        {"picture.gif", test::EncodeGif(RasterPicture()), {120, 80}, 0, RasterSamples()},
        {"picture.png", test::EncodeWithQt(RasterPicture(), "PNG"), {120, 80}, 0, RasterSamples()},
        {"picture.wmf", test::MakeWmf(Wmf96()), {200, 100}, 0, MetafileSamples()},
        {"twips.wmf", test::MakeWmf(WmfTwips(0)), {200, 100}, 0, MetafileSamples()},
        {"anisotropic.wmf", test::MakeWmf(WmfTwips(8)), {200, 100}, 0, MetafileSamples()},
        {"origin.wmf", test::MakeWmf(WmfMovedOrigin()), {200, 100}, 0, MetafileSamples()},
        {"nowindow.wmf", test::MakeWmf(WmfWithoutWindow()), {200, 100}, 0, MetafileSamples()},
        {"plain.wmf", test::MakeWmf(WmfPlain()), {200, 100}, 0, MetafileSamples()},
        {"picture.emf", Emf(), {192, 96}, 0, MetafileSamples()},
        // The format is told by content, not by the name.
        {"really-a-gif.bmp", test::EncodeGif(RasterPicture()), {120, 80}, 0, RasterSamples()},
        {"really-a-wmf.txt", test::MakeWmf(Wmf96()), {200, 100}, 0, MetafileSamples()},
    };
    QTemporaryDir dir;
    for (const FormatCase& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.filePath(c.name);
        ASSERT_TRUE(test::WriteFile(path, c.bytes));
        QImage img;
        QString error;
        ASSERT_TRUE(LoadPictureFile(path, &img, &error)) << error.toStdString();
        EXPECT_TRUE(error.isEmpty());
        ASSERT_EQ(img.size(), c.size);
        for (const Sample& s : c.samples) {
            const QColor got = img.pixelColor(s.at);
            EXPECT_TRUE(Near(got, s.expected, c.tolerance))
                << "at " << s.at.x() << "," << s.at.y() << ": " << got.name(QColor::HexArgb).toStdString();
        }
    }
}

struct BrokenCase {
    const char* name;
    QByteArray bytes;  // written as the file, unless the case makes its own
    const char* says;  // part of the message
};

QByteArray Cut(const QByteArray& bytes, double keep) { return bytes.left(qsizetype(bytes.size() * keep)); }

// 39 bytes: a header announcing a 1.5 GB record, then the start of a record.
QByteArray Wmf39() {
    test::LeBytes b;
    b.u16(1).u16(9).u16(0x0300).u32(20).u16(1).u32(0x2E000000u).u16(0);
    b.u32(5).u16(0x020B).s16(0).s16(0).u32(3).u16(0).u8(0).u8(0).u8(0);
    return b.data.left(39);
}

QByteArray EmfHeaderOnly() { return Emf().left(108); }

QByteArray WideWmf() {
    WmfPicture w = Wmf96();
    w.box = QRect(0, 0, int(metafile::kMaxPictureSide) + 1, 10);
    w.windowExt = w.box.size();
    return test::MakeWmf(w);
}

TEST(PictureLoader, BrokenFilesAreRefusedWithAMessageNamingThem) {
    const QByteArray jpeg = test::EncodeWithQt(RasterPicture(), "JPEG");
    const BrokenCase cases[] = {
        {"missing.bmp", {}, "не найден"},
        {"folder.bmp", {}, "не файл"},
        {"empty.bmp", QByteArray(), "пуст"},
        {"text.bmp", "This is not a picture at all.\n", "не удаётся прочитать как рисунок"},
        {"cut.bmp", Cut(test::EncodeWithQt(RasterPicture(), "BMP"), 0.6), "обрезан"},
        {"cut.jpg", Cut(jpeg, 0.9), "обрезан"},
        {"cut.gif", Cut(test::EncodeGif(RasterPicture()), 0.7), "обрезан"},
        {"cut.png", Cut(test::EncodeWithQt(RasterPicture(), "PNG"), 0.6), "не удаётся прочитать"},
        {"wide.bmp", test::EncodeWithQt(test::RectanglePicture({9000, 2}, {}, Qt::blue), "BMP"),
         "слишком велик"},
        {"w39.wmf", Wmf39(), "повреждён"},
        {"cut.wmf", Cut(test::MakeWmf(Wmf96()), 0.8), "повреждён"},
        {"wide.wmf", WideWmf(), "слишком велик"},
        {"header-only.emf", EmfHeaderOnly(), "повреждён"},
        {"cut.emf", Cut(Emf(), 0.9), "повреждён"},
    };
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.bmp"));
    for (const BrokenCase& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.filePath(c.name);
        if (QByteArray(c.name) != "missing.bmp" && QByteArray(c.name) != "folder.bmp") {
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

struct CutCase {
    const char* name;
    PictureKind kind;
    QByteArray bytes;
    bool cut;
};

TEST(PictureFormat, CutShortFilesAreTold) {
    const QByteArray bmp = test::EncodeWithQt(RasterPicture(), "BMP");
    const QByteArray jpeg = test::EncodeWithQt(RasterPicture(), "JPEG");
    const QByteArray gif = test::EncodeGif(RasterPicture());
    // An application segment whose data holds an end-of-image marker (as an
    // embedded thumbnail does) must not hide a cut in the image itself.
    const QByteArray thumb = jpeg.left(2) + QByteArray("\xFF\xE1\x00\x06\xFF\xD9\x00\x00", 8) + jpeg.mid(2);
    const CutCase cases[] = {
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
    for (const CutCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(SniffPicture(c.bytes), c.kind);
        EXPECT_EQ(PictureCutShort(c.kind, c.bytes), c.cut);
    }
}

// --- the helper program -----------------------------------------------------

// Replaces the helper with a script for the life of the object.
class FakeHelper {
public:
    FakeHelper(const QString& script, int timeLimitMs = 0) {
        path_ = dir_.filePath("fake-helper");
        test::WriteFile(path_, ("#!/bin/sh\n" + script + "\n").toUtf8());
        QFile::setPermissions(path_, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        SetMetafileHelperOverride(path_);
        if (timeLimitMs) SetMetafileTimeLimit(timeLimitMs);
    }
    ~FakeHelper() {
        SetMetafileHelperOverride(QString());
        SetMetafileTimeLimit(0);
    }

private:
    QTemporaryDir dir_;
    QString path_;
};

// printf text for the bytes, as octal escapes.
QString Octal(const QByteArray& bytes) {
    QString s;
    for (const char c : bytes) s += QStringLiteral("\\%1").arg(uint(static_cast<unsigned char>(c)), 3, 8, QLatin1Char('0'));
    return s;
}

QByteArray OnePixelRaster(std::uint32_t pixel, bool rightChecksum) {
    unsigned char px[4];
    metafile::PutLe32(px, pixel);
    const std::uint64_t sum = rightChecksum ? metafile::RasterChecksum(px, 4) : 12345;
    const auto header = metafile::RasterHeader(1, 1, sum);
    return QByteArray(reinterpret_cast<const char*>(header.data()), qsizetype(header.size())) +
           QByteArray(reinterpret_cast<const char*>(px), 4);
}

struct HelperCase {
    const char* name;
    QString script;  // empty: no helper at all
    MetafileResult result;
};

TEST(MetafileDecoder, AHelperThatFailsIsAnOrdinaryReadFailure) {
    const HelperCase cases[] = {
        {"crashes", "kill -SEGV $$", MetafileResult::Crashed},
        {"hangs", "exec sleep 30", MetafileResult::TimedOut},
        {"prints garbage", "printf 'no raster here'", MetafileResult::BadOutput},
        {"floods its output", "exec cat /dev/zero", MetafileResult::BadOutput},
        {"gets the checksum wrong", "printf '" + Octal(OnePixelRaster(0xFF0000FFu, false)) + "'",
         MetafileResult::BadOutput},
        {"adds bytes", "printf '" + Octal(OnePixelRaster(0xFF0000FFu, true) + "x") + "'",
         MetafileResult::BadOutput},
        {"refuses the file", "exit 4", MetafileResult::Rejected},
        {"is missing", "", MetafileResult::HelperMissing},
    };
    QTemporaryDir dir;
    const QString path = dir.filePath("picture.wmf");
    ASSERT_TRUE(test::WriteFile(path, test::MakeWmf(Wmf96())));
    for (const HelperCase& c : cases) {
        SCOPED_TRACE(c.name);
        FakeHelper helper(c.script, 300);
        if (c.script.isEmpty()) SetMetafileHelperOverride(dir.filePath("no-such-helper"));
        QImage img(2, 2, QImage::Format_RGB32);
        img.fill(Qt::red);
        const QImage before = img;
        EXPECT_EQ(DecodeMetafile(path, &img), c.result);
        QString error;
        EXPECT_FALSE(LoadPictureFile(path, &img, &error));
        EXPECT_EQ(img, before);
        EXPECT_TRUE(error.contains(QDir::toNativeSeparators(path))) << error.toStdString();
    }
}

TEST(MetafileDecoder, TheHelperRunsUnderLimits) {
    QTemporaryDir dir;
    const QString path = dir.filePath("picture.wmf");
    ASSERT_TRUE(test::WriteFile(path, test::MakeWmf(Wmf96())));
    FakeHelper helper("echo \"$(ulimit -v) $(ulimit -c)\" > \"$1.limits\"; exit 4");
    QImage img;
    EXPECT_EQ(DecodeMetafile(path, &img), MetafileResult::Rejected);
    QFile limits(path + ".limits");
    ASSERT_TRUE(limits.open(QIODevice::ReadOnly));
    const QStringList values = QString::fromLatin1(limits.readAll()).split(' ');
    ASSERT_EQ(values.size(), 2);
    if (MetafileMemoryLimit() > 0) {
        EXPECT_EQ(values[0].toLongLong(), MetafileMemoryLimit() / 1024);
    }
    EXPECT_EQ(values[1].trimmed(), "0");  // no core files
}

TEST(MetafileDecoder, TheHelperIsFoundFromTheTestProgram) {
    SetMetafileHelperOverride(QString());
    const QFileInfo helper(MetafileHelperPath());
    EXPECT_EQ(helper.fileName(), "tovik-metafile");
    EXPECT_TRUE(helper.isExecutable());
}

}  // namespace
}  // namespace tovik
