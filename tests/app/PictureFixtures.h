#pragma once

// Pictures the tests make for themselves: rasters encoded by Qt, GIF files
// written here (Qt writes no GIF), and tiny Windows metafiles built record by
// record. Every picture is a rectangle of one colour on a plain background.

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <QString>
#include <QVector>
#include <cstdint>

namespace tovik::test {

// Little-endian byte writer.
class LeBytes {
public:
    LeBytes& u8(unsigned v) { data.append(static_cast<char>(v & 0xFF)); return *this; }
    LeBytes& u16(unsigned v) { return u8(v).u8(v >> 8); }
    LeBytes& s16(int v) { return u16(static_cast<std::uint16_t>(static_cast<std::int16_t>(v))); }
    LeBytes& u32(std::uint32_t v) { return u16(v & 0xFFFF).u16(v >> 16); }
    LeBytes& s32(std::int32_t v) { return u32(static_cast<std::uint32_t>(v)); }
    QByteArray data;
};

// A colour as metafiles store it: 0x00BBGGRR.
inline std::uint32_t ColorRef(QColor c) {
    return static_cast<std::uint32_t>(c.red() | (c.green() << 8) | (c.blue() << 16));
}

inline QImage RectanglePicture(QSize size, QRect rect, QColor fill, QColor background = Qt::white) {
    QImage img(size, QImage::Format_RGB32);
    img.fill(background);
    QPainter p(&img);
    p.fillRect(rect, fill);
    return img;
}

inline QByteArray EncodeWithQt(const QImage& img, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    img.save(&buffer, format, format == QByteArray("JPEG") ? 100 : -1);
    return bytes;
}

// A GIF89a of an image with at most 256 colours. The image data is stored
// with 9-bit literal codes only, a clear code before the table would grow.
inline QByteArray EncodeGif(const QImage& source) {
    const QImage img = source.convertToFormat(QImage::Format_RGB32);
    QVector<QRgb> palette;
    QVector<int> indexes;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QRgb c = img.pixel(x, y) | 0xFF000000u;
            int i = palette.indexOf(c);
            if (i < 0) {
                i = static_cast<int>(palette.size());
                palette.append(c);
            }
            indexes.append(i);
        }
    palette.resize(256);
    LeBytes b;
    b.data.append("GIF89a");
    b.u16(img.width()).u16(img.height()).u8(0xF7).u8(0).u8(0);  // 256-entry global table
    for (const QRgb c : palette) b.u8(qRed(c)).u8(qGreen(c)).u8(qBlue(c));
    b.u8(0x2C).u16(0).u16(0).u16(img.width()).u16(img.height()).u8(0);
    b.u8(8);  // minimum code size
    QByteArray codes;
    std::uint32_t bits = 0;
    int nbits = 0;
    auto putCode = [&](unsigned code) {
        bits |= code << nbits;
        nbits += 9;
        while (nbits >= 8) {
            codes.append(static_cast<char>(bits & 0xFF));
            bits >>= 8;
            nbits -= 8;
        }
    };
    const unsigned clear = 256, end = 257;
    int sinceClear = 0;
    putCode(clear);
    for (const int i : indexes) {
        if (sinceClear == 254) {
            putCode(clear);
            sinceClear = 0;
        }
        putCode(static_cast<unsigned>(i));
        ++sinceClear;
    }
    putCode(end);
    if (nbits > 0) codes.append(static_cast<char>(bits & 0xFF));
    for (qsizetype at = 0; at < codes.size(); at += 255) {
        const QByteArray block = codes.mid(at, 255);
        b.u8(static_cast<unsigned>(block.size()));
        b.data.append(block);
    }
    b.u8(0).u8(0x3B);
    return b.data;
}

// A Windows metafile that fills one rectangle (logical coordinates) with a
// solid brush and no outline.
struct WmfPicture {
    bool placeable = true;
    QRect box;               // placeable bounding box, logical units
    int inch = 96;           // logical units per inch
    int mapMode = 0;         // 0: none set
    bool setWindow = true;   // window origin and extent records
    QPoint windowOrg;
    QSize windowExt;
    QRect rect;              // the filled rectangle
    QColor color = Qt::blue;
};

inline QByteArray MakeWmf(const WmfPicture& w) {
    LeBytes records;
    auto record = [&](unsigned function, std::initializer_list<int> params) {
        records.u32(3 + static_cast<std::uint32_t>(params.size())).u16(function);
        for (const int p : params) records.s16(p);
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

    LeBytes file;
    if (w.placeable) {
        LeBytes p;
        p.u32(0x9AC6CDD7u).u16(0).s16(w.box.left()).s16(w.box.top());
        p.s16(w.box.left() + w.box.width()).s16(w.box.top() + w.box.height()).u16(w.inch).u32(0);
        std::uint16_t sum = 0;
        for (int i = 0; i < 10; ++i)
            sum ^= static_cast<std::uint16_t>(static_cast<unsigned char>(p.data[2 * i]) |
                                              (static_cast<unsigned char>(p.data[2 * i + 1]) << 8));
        p.u16(sum);
        file.data.append(p.data);
    }
    const auto words = static_cast<std::uint32_t>((18 + records.data.size()) / 2);
    file.u16(1).u16(9).u16(0x0300).u32(words).u16(2).u32(8).u16(0);
    file.data.append(records.data);
    return file.data;
}

// An enhanced metafile that fills one rectangle (device pixels of a 96-dpi
// reference device) with a solid brush and no outline.
struct EmfPicture {
    QRect frame;            // hundredths of a millimetre
    QRect bounds;           // device pixels; empty: the filled rectangle
    QRect rect;
    QColor color = Qt::blue;
};

inline QByteArray MakeEmf(const EmfPicture& e) {
    LeBytes r;
    const QRect bounds = e.bounds.isNull() ? e.rect : e.bounds;
    r.u32(39).u32(24).u32(1).u32(0).u32(ColorRef(e.color)).u32(0);  // solid brush
    r.u32(37).u32(12).u32(1);                                          // select it
    r.u32(37).u32(12).u32(0x80000008u);                                // stock null pen
    r.u32(43).u32(24).s32(e.rect.left()).s32(e.rect.top());            // rectangle
    r.s32(e.rect.left() + e.rect.width()).s32(e.rect.top() + e.rect.height());
    r.u32(14).u32(20).u32(0).u32(16).u32(20);                          // end of file
    const int records = 5 + 1;
    LeBytes h;
    h.u32(1).u32(108);
    h.s32(bounds.left()).s32(bounds.top()).s32(bounds.right()).s32(bounds.bottom());
    h.s32(e.frame.left()).s32(e.frame.top());
    h.s32(e.frame.left() + e.frame.width()).s32(e.frame.top() + e.frame.height());
    h.u32(0x464D4520u).u32(0x10000).u32(static_cast<std::uint32_t>(108 + r.data.size()));
    h.u32(records).u16(2).u16(0).u32(0).u32(0).u32(0);
    h.u32(960).u32(960).u32(254).u32(254);  // 96 dots per inch
    h.u32(0).u32(0).u32(0).u32(254000).u32(254000);
    return h.data + r.data;
}

inline bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

}  // namespace tovik::test
