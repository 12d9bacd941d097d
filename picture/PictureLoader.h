#pragma once

#include <QImage>
#include <QString>

#include "picture/PictureDecoder.h"
#include "picture/PictureFormat.h"

namespace tovik {

// Decodes a picture file: BMP, JPEG, GIF, PNG, WMF or EMF, its format told by
// its first bytes whatever its name. This process only looks at those bytes,
// from a thread of its own (see PictureLoadJob.h); the picture is decoded by
// the decoder program (see PictureDecoder.h), as the format sniffed and
// nothing else, while events go on being handled. A file that is missing,
// empty, of another format, cut short, too large, too slow to reach or to
// decode or not a picture is refused. On failure returns false and a message
// for the user that names the file; *out is left alone.
bool LoadPictureFile(const QString& path, QImage* out, QString* error);

// What a first look at a picture file found: its kind, or why it is refused.
struct PictureProbe {
    bool ordinaryFile = false;  // exists, is a regular file (or a link to one) and is not hidden
    PictureKind kind = PictureKind::Other;
    QString error;  // empty when the file may go to the decoder
};

// Opens `path` without waiting (a FIFO cannot block it), reads its first
// bytes and tells its kind. Touches no Qt object but its own: safe on any
// thread. On a dead network mount it may wait as long as the system does.
PictureProbe ProbePictureFile(const QString& path);

// The message for a picture of `kind` at `path` that the decoder did not
// decode.
QString DecodeFailureMessage(DecodeResult result, PictureKind kind, const QString& path);

}  // namespace tovik
