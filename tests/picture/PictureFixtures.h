#pragma once

// Pictures the tests make for themselves: rasters encoded by Qt, GIF files
// written here (Qt writes no GIF), and tiny Windows metafiles built record by
// record. Every picture is a rectangle of one colour on a plain background.

#include <QBuffer>
#include <QColor>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QRect>
#include <QTemporaryDir>
#include <csignal>
#include <cstdint>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/statvfs.h>

#include "picture/PictureDecoder.h"

namespace tovik::test {

// Lets no file grow past `bytes` while it lives: writes fail the way they do
// on a full disk, whoever runs the test.
struct FileSizeLimit {
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved);
        previous = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = saved;
        small.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previous);
    }
    rlimit saved{};
    void (*previous)(int) = nullptr;
};

// A file system of a few blocks mounted over a temporary folder for the life
// of the object; nothing when this user may not mount one.
struct SmallTmpfs {
    SmallTmpfs() {
        mounted = ::mount("tovik-test", dir.path().toLocal8Bit().constData(), "tmpfs", MS_NOSUID | MS_NODEV,
                          "size=64k,mode=0700") == 0;
    }
    ~SmallTmpfs() {
        if (mounted) ::umount2(dir.path().toLocal8Bit().constData(), MNT_DETACH);
    }
    // Fills what is left, to the last block.
    bool Fill() const {
        QFile filler(dir.filePath("filler"));
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return false;
        const QByteArray block(4096, 'f');
        while (filler.write(block) > 0) {
        }
        while (filler.write("f", 1) > 0) {
        }
        struct statvfs st {};
        return statvfs(dir.path().toLocal8Bit().constData(), &st) == 0 && st.f_bavail == 0;
    }
    QTemporaryDir dir;
    bool mounted = false;
};

// Little-endian byte writer; negative values are written in two's complement.
struct LeBytes {
    LeBytes& u8(unsigned v) { data.append(static_cast<char>(v & 0xFF)); return *this; }
    LeBytes& u16(unsigned v) { return u8(v).u8(v >> 8); }
    LeBytes& u32(std::uint32_t v) { return u16(v & 0xFFFF).u16(v >> 16); }
    QByteArray data;
};

// A WMF file of these records: the standard header (maxRecord words in the
// largest record), after a placeable header for `box` at `inch` units per
// inch when a box is given.
inline QByteArray WmfFile(const LeBytes& records, std::uint32_t maxRecord, const QRect* box = nullptr, int inch = 0) {
    LeBytes file;
    if (box) {
        LeBytes p;
        p.u32(0x9AC6CDD7u).u16(0).u16(box->left()).u16(box->top());
        p.u16(box->left() + box->width()).u16(box->top() + box->height()).u16(inch).u32(0);
        std::uint16_t sum = 0;
        for (int i = 0; i < 10; ++i)
            sum ^= static_cast<std::uint16_t>(static_cast<unsigned char>(p.data[2 * i]) |
                                              (static_cast<unsigned char>(p.data[2 * i + 1]) << 8));
        file.data = p.u16(sum).data;
    }
    const auto words = static_cast<std::uint32_t>((18 + records.data.size()) / 2);
    file.u16(1).u16(9).u16(0x0300).u32(words).u16(2).u32(maxRecord).u16(0);
    return file.data + records.data;
}

// A colour as metafiles store it: 0x00BBGGRR.
inline std::uint32_t ColorRef(QColor c) {
    return static_cast<std::uint32_t>(c.red() | (c.green() << 8) | (c.blue() << 16));
}

inline QImage RectanglePicture(QSize size, QRect rect, QColor fill, QColor background = Qt::white) {
    QImage img(size, QImage::Format_RGB32);
    img.fill(background);
    QPainter(&img).fillRect(rect, fill);
    return img;
}

// The raster picture of the tests: 120 x 80, blue on white at x 20..59, y 30..49.
inline QImage RasterPicture() { return RectanglePicture({120, 80}, {20, 30, 40, 20}, Qt::blue); }

inline QByteArray EncodeWithQt(const QImage& img, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    img.save(&buffer, format, format == QByteArray("JPEG") ? 100 : -1);
    return bytes;
}

// A GIF89a of an image with at most 128 colours. Codes are 8 bits wide, one
// byte each: a clear code (128) every 126 pixels keeps the code table from
// growing past that width.
inline QByteArray EncodeGif(const QImage& source) {
    const QImage img = source.convertToFormat(QImage::Format_Indexed8, Qt::AvoidDither);
    QList<QRgb> palette = img.colorTable();
    palette.resize(128);
    LeBytes b;
    b.data.append("GIF89a");
    b.u16(img.width()).u16(img.height()).u8(0xF6).u8(0).u8(0);  // 128-entry global table
    for (const QRgb c : palette) b.u8(qRed(c)).u8(qGreen(c)).u8(qBlue(c));
    b.u8(0x2C).u16(0).u16(0).u16(img.width()).u16(img.height()).u8(0).u8(7);  // minimum code size 7
    QByteArray codes;
    for (int k = 0; k < img.width() * img.height(); ++k) {
        if (k % 126 == 0) codes.append(char(128));
        codes.append(static_cast<char>(img.pixelIndex(k % img.width(), k / img.width())));
    }
    codes.append(char(129));  // end of information
    for (qsizetype at = 0; at < codes.size(); at += 255) {
        const QByteArray block = codes.mid(at, 255);
        b.u8(static_cast<unsigned>(block.size())).data.append(block);
    }
    b.u8(0).u8(0x3B);
    return b.data;
}

// A Windows metafile that fills one rectangle (logical coordinates) with a
// solid brush and no outline. By default: 200 x 100 pixels at 96 dpi, blue
// at x 40..79, y 30..59, nothing painted elsewhere.
struct WmfPicture {
    bool placeable = true;
    QRect box{0, 0, 200, 100};  // placeable bounding box, logical units
    int inch = 96;              // logical units per inch
    int mapMode = 0;            // 0: none set
    bool setWindow = true;      // window origin and extent records
    QPoint windowOrg{0, 0};
    QSize windowExt{200, 100};
    QRect rect{40, 30, 40, 30};  // the filled rectangle
    QColor color = Qt::blue;
};

inline QByteArray MakeWmf(const WmfPicture& w) {
    LeBytes records;
    auto record = [&](unsigned function, std::initializer_list<int> params) {
        records.u32(3 + static_cast<std::uint32_t>(params.size())).u16(function);
        for (const int p : params) records.u16(static_cast<unsigned>(p));
    };
    if (w.mapMode) record(0x0103, {w.mapMode});
    if (w.setWindow) {
        record(0x020B, {w.windowOrg.y(), w.windowOrg.x()});
        record(0x020C, {w.windowExt.height(), w.windowExt.width()});
    }
    const std::uint32_t c = ColorRef(w.color);
    record(0x02FC, {0, static_cast<int>(c & 0xFFFF), static_cast<int>(c >> 16), 0});  // solid brush
    record(0x012D, {0});
    record(0x02FA, {5, 0, 0, 0, 0});  // null pen
    record(0x012D, {1});
    record(0x041B, {w.rect.bottom() + 1, w.rect.right() + 1, w.rect.top(), w.rect.left()});
    record(0x0000, {});

    return WmfFile(records, 8, w.placeable ? &w.box : nullptr, w.inch);
}

// An enhanced metafile that fills one rectangle (device pixels of a 96-dpi
// reference device) with a solid brush and no outline. By default: 192 x 96
// pixels, blue at x 40..79, y 30..59.
inline QByteArray MakeEmf(QRect frame = {0, 0, 5080, 2540}, QRect rect = {40, 30, 40, 30}) {
    LeBytes r;
    r.u32(39).u32(24).u32(1).u32(0).u32(ColorRef(Qt::blue)).u32(0);  // solid brush
    r.u32(37).u32(12).u32(1);                                          // select it
    r.u32(37).u32(12).u32(0x80000008u);                                // stock null pen
    r.u32(43).u32(24).u32(rect.left()).u32(rect.top());                // rectangle
    r.u32(rect.left() + rect.width()).u32(rect.top() + rect.height());
    r.u32(14).u32(20).u32(0).u32(16).u32(20);  // end of file
    LeBytes h;
    h.u32(1).u32(108).u32(rect.left()).u32(rect.top()).u32(rect.right()).u32(rect.bottom());
    h.u32(frame.left()).u32(frame.top()).u32(frame.left() + frame.width()).u32(frame.top() + frame.height());
    h.u32(0x464D4520u).u32(0x10000).u32(static_cast<std::uint32_t>(108 + r.data.size()));
    h.u32(6).u16(2).u16(0).u32(0).u32(0).u32(0);  // six records
    h.u32(960).u32(960).u32(254).u32(254);        // 96 dots per inch
    h.u32(0).u32(0).u32(0).u32(254000).u32(254000);
    return h.data + r.data;
}

// --- reproducers of pictures that used to hang or bloat the program ----------

// A 7 KB SVG with three levels of 100-fold <use> fan-out: a million
// squares, each covering the whole picture, to draw.
inline QByteArray FanOutSvg() {
    QByteArray svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" "
                     "width=\"1000\" height=\"1000\"><defs><rect id=\"l0\" width=\"1000\" height=\"1000\"/>\n";
    for (int level = 1; level <= 3; ++level) {
        svg += "<g id=\"l" + QByteArray::number(level) + "\">";
        for (int i = 0; i < 100; ++i) svg += "<use xlink:href=\"#l" + QByteArray::number(level - 1) + "\"/>";
        svg += "</g>\n";
    }
    return svg + "</defs><use xlink:href=\"#l3\"/></svg>\n";
}

// A progressive JPEG declaring 8192 x 4096 pixels whose last scan comes
// `repeats` times more: every scan makes a decoder pass over the whole
// picture again.
inline QByteArray ManyScanJpeg(int repeats) {
    QImage img(16, 16, QImage::Format_Grayscale8);
    img.fill(128);
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setProgressiveScanWrite(true);
    writer.write(img);
    const qsizetype frame = jpeg.indexOf("\xFF\xC2");
    const qsizetype lastScan = jpeg.lastIndexOf("\xFF\xDA");
    if (frame < 0 || lastScan < 0) return {};
    const char size[4] = {0x10, 0x00, 0x20, 0x00};  // height 4096, width 8192
    jpeg.replace(frame + 5, 4, QByteArray(size, 4));
    const QByteArray scan = jpeg.mid(lastScan, jpeg.size() - 2 - lastScan);
    return jpeg.left(jpeg.size() - 2) + scan.repeated(repeats) + "\xFF\xD9";
}

// 114 bytes: a top-down 8-bit run-length BMP declaring 29000 x 1000 pixels.
inline QByteArray HugeRleBmp() {
    LeBytes b;
    b.data = "BM";
    b.u32(114).u32(0).u32(62);
    b.u32(40).u32(29000).u32(static_cast<std::uint32_t>(-1000)).u16(1).u16(8).u32(1).u32(0).u32(0).u32(0).u32(2).u32(0);
    b.u32(0x0000FF).u32(0xFF0000);  // the palette: blue, red
    while (b.data.size() < 112) b.u8(2).u8(1);  // runs of two blue pixels
    b.u8(0).u8(1);                              // end of the picture
    return b.data;
}

inline bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// Replaces the decoder program with a shell script for the life of the object.
class FakeHelper {
public:
    explicit FakeHelper(const QString& script, int timeLimitMs = 0) {
        const QString path = dir_.filePath("fake-helper");
        WriteFile(path, ("#!/bin/sh\n" + script + "\n").toUtf8());
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        SetDecoderOverride(path);
        if (timeLimitMs) SetDecoderTimeLimit(timeLimitMs);
    }
    ~FakeHelper() {
        SetDecoderOverride(QString());
        SetDecoderTimeLimit(0);
    }

private:
    QTemporaryDir dir_;
};

}  // namespace tovik::test
