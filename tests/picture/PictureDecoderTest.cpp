#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <sys/resource.h>

#include "picture/PictureDecoder.h"
#include "picture/PictureFixtures.h"
#include "picture/PictureLoader.h"
#include "decoder/Decoder.h"
#include "picture/RasterFormat.h"

namespace tovik {
namespace {

// A script line printing one 1 x 1 raster as the decoder would, its checksum
// right or wrong, with extra bytes after it.
QString PrintRaster(bool rightChecksum, const QByteArray& extra = {}) {
    unsigned char px[4];
    metafile::PutLe32(px, 0xFF0000FFu);
    const auto header = metafile::RasterHeader(1, 1, rightChecksum ? metafile::RasterChecksum(px, 4) : 12345);
    const QByteArray bytes = QByteArray(reinterpret_cast<const char*>(header.data()), qsizetype(header.size())) +
                             QByteArray(reinterpret_cast<const char*>(px), 4) + extra;
    QString octal;
    for (const char c : bytes) octal += QStringLiteral("\\%1").arg(uint(static_cast<uchar>(c)), 3, 8, QChar('0'));
    return "printf '" + octal + "'";
}

// A script line that runs the real decoder after a pause.
QString RealDecoderAfter(const char* pause) {
    return QStringLiteral("sleep %1; exec '%2' \"$@\"").arg(QLatin1String(pause), DecoderPath());
}

// The peak resident memory of this process, in megabytes.
long PeakMb() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss / 1024;
}

// Counts its paintings.
struct PaintCounter : QWidget {
    void paintEvent(QPaintEvent*) override {
        QPainter(this).fillRect(rect(), Qt::gray);
        ++paints;
    }
    int paints = 0;
};

TEST(PictureDecoder, ADecoderThatFailsIsAnOrdinaryReadFailure) {
    const struct {
        const char* name;
        QString script;  // empty: no decoder at all
        DecodeResult result;
    } cases[] = {
        {"crashes", "kill -SEGV $$", DecodeResult::Crashed},
        {"hangs", "exec sleep 30", DecodeResult::TimedOut},
        {"uses up its CPU time", "kill -XCPU $$", DecodeResult::TimedOut},
        {"prints garbage", "printf 'no raster here'", DecodeResult::BadOutput},
        {"floods its output", "exec cat /dev/zero", DecodeResult::BadOutput},
        {"gets the checksum wrong", PrintRaster(false), DecodeResult::BadOutput},
        {"adds bytes", PrintRaster(true, "x"), DecodeResult::BadOutput},
        {"refuses the file", "exit 4", DecodeResult::Rejected},
        {"finds it cut short", "exit 7", DecodeResult::CutShort},
        {"is missing", "", DecodeResult::DecoderMissing},
    };
    QTemporaryDir dir;
    const QString path = dir.filePath("picture.wmf");
    ASSERT_TRUE(test::WriteFile(path, test::MakeWmf({})));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::FakeHelper helper(c.script, 300);
        if (c.script.isEmpty()) SetDecoderOverride(dir.filePath("no-such-decoder"));
        QImage img(2, 2, QImage::Format_RGB32);
        img.fill(Qt::red);
        const QImage before = img;
        EXPECT_EQ(DecodePicture(path, PictureKind::Wmf, &img), c.result);
        QString error;
        EXPECT_FALSE(LoadPictureFile(path, &img, &error));
        EXPECT_EQ(img, before);
        EXPECT_TRUE(error.contains(QDir::toNativeSeparators(path))) << error.toStdString();
    }
}

TEST(PictureDecoder, DamagedMetafilesAreRefusedWithoutACrash) {
    const QByteArray wmf = test::MakeWmf({});
    // The header's description starts at the end of the file and has no
    // length: libemf2svg would read on past the end to find its terminator.
    QByteArray description = test::MakeEmf();
    description.replace(64, 4, description.mid(48, 4));
    const struct {
        const char* name;
        PictureKind kind;
        QByteArray bytes;
    } cases[] = {
        {"cut.wmf", PictureKind::Wmf, wmf.left(wmf.size() * 8 / 10)},
        {"header-only.emf", PictureKind::Emf, test::MakeEmf().left(108)},
        {"description.emf", PictureKind::Emf, description},
    };
    QTemporaryDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(test::WriteFile(dir.filePath(c.name), c.bytes));
        QImage img;
        EXPECT_EQ(DecodePicture(dir.filePath(c.name), c.kind, &img), DecodeResult::Rejected);
    }
}

TEST(PictureDecoder, TheDecoderIsToldTheKindAndRunsUnderLimits) {
    QTemporaryDir dir;
    const QString path = dir.filePath("picture.bmp");
    ASSERT_TRUE(test::WriteFile(path, test::MakeWmf({})));  // the content decides
    test::FakeHelper helper(
        QStringLiteral("echo \"$1 $(ulimit -v) $(ulimit -c) $(ulimit -t) $# $(wc -c)\" > '%1.limits'; exit 4")
            .arg(path));
    QImage img;
    QString error;
    EXPECT_FALSE(LoadPictureFile(path, &img, &error));
    QFile limits(path + ".limits");
    ASSERT_TRUE(limits.open(QIODevice::ReadOnly));
    const QStringList values = QString::fromLatin1(limits.readAll()).trimmed().split(' ');
    ASSERT_EQ(values.size(), 6);
    EXPECT_EQ(values[0], "wmf");
    EXPECT_EQ(values[4], "1");  // no name: the file itself is standard input
    EXPECT_EQ(values[5].toLongLong(), test::MakeWmf({}).size());
    if (DecoderMemoryLimit() > 0) {
        EXPECT_EQ(values[1].toLongLong(), DecoderMemoryLimit() / 1024);
    }
    EXPECT_EQ(values[2], "0");  // no core files
    EXPECT_EQ(values[3].toInt(), DecoderCpuLimit());  // seconds of CPU time
}

// Gone, or a zombie that its new parent has yet to reap.
bool Ended(const QByteArray& pid) {
    QFile stat("/proc/" + pid + "/stat");
    if (!stat.open(QIODevice::ReadOnly)) return true;
    const QByteArray fields = stat.readAll();
    return fields.mid(fields.lastIndexOf(')') + 2, 1) == "Z";
}

// What a library taken over by a hostile file might make the decoder do.
TEST(PictureDecoder, TheDecoderIsConfinedAndWhatItStartsDiesWithIt) {
    QTemporaryDir dir;
    const QString path = dir.filePath("picture.bmp"), pidFile = dir.filePath("child.pid");
    ASSERT_TRUE(test::WriteFile(path, test::EncodeWithQt(test::RasterPicture(), "BMP")));
    QImage img;
    {
        test::FakeHelper helper(QStringLiteral("sleep 30 & echo $! > '%1'; exec sleep 30").arg(pidFile), 300);
        EXPECT_EQ(DecodePicture(path, PictureKind::Bmp, &img), DecodeResult::TimedOut);
    }
    QFile pid(pidFile);
    ASSERT_TRUE(pid.open(QIODevice::ReadOnly));
    const QByteArray child = pid.readAll().trimmed();
    QTRY_VERIFY_WITH_TIMEOUT(Ended(child), 2000);
    // Each attempt fails, and the decode with it; the same decoder without
    // an attempt decodes the picture. Sanitizer builds (those without a
    // memory limit) have no system-call filter.
    if (DecoderMemoryLimit() == 0) GTEST_SKIP() << "a sanitizer build: the decoder has no system-call filter";
    const QString decoder = DecoderPath(), written = dir.filePath("written");
    for (const QString& attempt : {"write=" + written, QStringLiteral("fork"), QStringLiteral("exec"), QString()}) {
        SCOPED_TRACE(attempt.toStdString());
        const QString option = attempt.isEmpty() ? QString() : "--attempt '" + attempt + "'";
        test::FakeHelper helper(QStringLiteral("exec '%1' %2 \"$@\"").arg(decoder, option));
        EXPECT_EQ(DecodePicture(path, PictureKind::Bmp, &img) == DecodeResult::Decoded, attempt.isEmpty());
    }
    EXPECT_FALSE(QFileInfo::exists(written));
}

TEST(PictureDecoder, EventsAreHandledWhileAPictureIsDecoded) {
    QTemporaryDir dir;
    const QString path = dir.filePath("picture.bmp");
    const QString other = dir.filePath("other.bmp");
    ASSERT_TRUE(test::WriteFile(path, test::EncodeWithQt(test::RasterPicture(), "BMP")));
    ASSERT_TRUE(test::WriteFile(other, test::EncodeWithQt(test::RasterPicture(), "PNG")));
    PaintCounter widget;
    widget.resize(50, 50);
    widget.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
    QCoreApplication::processEvents();
    const int paintsBefore = widget.paints;

    bool posted = false, timed = false, nestedLoaded = true;
    QString nestedError;
    QMetaObject::invokeMethod(&widget, [&] { posted = true; }, Qt::QueuedConnection);
    QTimer::singleShot(100, &widget, [&] {
        timed = true;
        widget.update();
        // A load asked for meanwhile is refused cleanly.
        QImage img;
        nestedLoaded = LoadPictureFile(other, &img, &nestedError);
    });
    QImage img;
    QString error;
    {
        test::FakeHelper slow(RealDecoderAfter("0.6"));
        ASSERT_TRUE(LoadPictureFile(path, &img, &error)) << error.toStdString();
    }
    EXPECT_EQ(img.size(), QSize(120, 80));
    EXPECT_TRUE(posted);
    EXPECT_TRUE(timed);
    EXPECT_GT(widget.paints, paintsBefore);
    EXPECT_FALSE(nestedLoaded);
    EXPECT_TRUE(nestedError.contains(QDir::toNativeSeparators(other)) && nestedError.contains("ещё читает"))
        << nestedError.toStdString();
    // Once the first is in, the next picture loads.
    EXPECT_TRUE(LoadPictureFile(other, &img, &error)) << error.toStdString();
}

TEST(PictureDecoder, EscapeGivesUpWaiting) {
    QTemporaryDir dir;
    const QString path = dir.filePath("picture.wmf");
    ASSERT_TRUE(test::WriteFile(path, test::MakeWmf({})));
    QWidget widget;
    widget.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
    test::FakeHelper helper("exec sleep 30");  // the default limit of several seconds
    QTimer::singleShot(100, &widget, [&] { QTest::keyClick(&widget, Qt::Key_Escape); });
    QImage img;
    QString error;
    EXPECT_FALSE(LoadPictureFile(path, &img, &error));
    EXPECT_TRUE(error.contains(QDir::toNativeSeparators(path)) && error.contains("прервано")) << error.toStdString();
}

TEST(PictureDecoder, AnOversizedPictureIsRefusedBeforeItIsDecoded) {
    // 114 bytes that declare 29000 x 1000 pixels: neither this process nor
    // the decoder may hold the picture to find out that it is too large.
    QTemporaryDir dir;
    const QString path = dir.filePath("picture.bmp");
    ASSERT_TRUE(test::WriteFile(path, test::EncodeWithQt(test::RasterPicture(), "BMP")));
    ASSERT_TRUE(test::WriteFile(dir.filePath("huge.bmp"), test::HugeRleBmp()));
    QImage img;
    QString error;
    ASSERT_TRUE(LoadPictureFile(path, &img, &error));  // everything a load needs is in place
    const long before = PeakMb();
    EXPECT_FALSE(LoadPictureFile(dir.filePath("huge.bmp"), &img, &error));
    EXPECT_TRUE(error.contains("слишком велик")) << error.toStdString();
    metafile::DecodedPicture decoded;
    std::string reason;
    EXPECT_EQ(metafile::DecodeBytes(PictureKind::Bmp, test::HugeRleBmp(), &decoded, &reason), metafile::kExitTooLarge);
    EXPECT_TRUE(decoded.image.isNull());
    EXPECT_LT(PeakMb() - before, 16);  // the picture alone takes 28 MB
}

}  // namespace
}  // namespace tovik
