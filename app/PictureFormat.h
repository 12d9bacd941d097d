#pragma once

#include <QByteArray>

namespace tovik {

// The kind of a picture file, told by its first bytes.
enum class PictureKind {
    Other,  // left to Qt's readers (PNG and the rest come free)
    Bmp,
    Jpeg,
    Gif,
    Wmf,    // placeable or plain Windows metafile
    Emf,    // enhanced metafile
};

PictureKind SniffPicture(const QByteArray& data);

// True when a BMP, JPEG or GIF file ends before its (first) image does. Qt's
// readers show such a file half grey or half empty instead of failing, so
// the cut is looked for here. Other kinds, and files too damaged to tell,
// give false and are left to the decoders.
bool PictureCutShort(PictureKind kind, const QByteArray& data);

}  // namespace tovik
