#pragma once

#include <QByteArray>

namespace tovik {

// The kind of a picture file, told by its first bytes.
enum class PictureKind {
    Other,  // none of the formats the program reads (SVG, text, ...)
    Bmp,
    Jpeg,
    Gif,
    Png,
    Wmf,    // placeable or plain Windows metafile
    Emf,    // enhanced metafile
};

// Telling the kind needs no more than this many leading bytes.
inline constexpr qsizetype kSniffBytes = 64;

PictureKind SniffPicture(const QByteArray& data);

// The name the decoder program knows a kind by ("bmp", "jpeg", "gif", "png",
// "wmf", "emf"); nullptr for Other. KindNamed is its inverse (Other for an
// unknown name).
const char* KindName(PictureKind kind);
PictureKind KindNamed(const char* name);

// True when a BMP, JPEG or GIF file ends before its (first) image does. Qt's
// readers show such a file half grey or half empty instead of failing, so
// the cut is looked for here. Other kinds, and files too damaged to tell,
// give false and are left to the decoders.
bool PictureCutShort(PictureKind kind, const QByteArray& data);

// The width and height a BMP, JPEG, GIF or PNG file declares in its headers,
// read before anything is decoded (for a GIF the larger of its logical screen
// and its first image's extent; a bottom-up or top-down BMP alike). False
// when the headers do not tell: too damaged, or another kind.
bool DeclaredPictureSize(PictureKind kind, const QByteArray& data, qint64* width, qint64* height);

// The number of scans (start-of-scan segments) in a JPEG file, counted up to
// its end-of-image marker or its end.
int JpegScanCount(const QByteArray& data);

}  // namespace tovik
