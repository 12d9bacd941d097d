#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace tovik {

// Decodes a picture file: BMP, JPEG, GIF, PNG, WMF or EMF, its format told by
// its first bytes whatever its name. This process only looks at those bytes;
// the picture is decoded by the decoder program (see PictureDecoder.h), as
// the format sniffed and nothing else, while events go on being handled. A
// file that is missing, empty, of another format, cut short, too large, too
// slow to decode or not a picture is refused. On failure returns false and a
// message for the user that names the file; *out is left alone.
bool LoadPictureFile(const QString& path, QImage* out, QString* error);
// The same for a name as the file system has it, byte for byte; the message
// shows bytes that are not UTF-8 escaped.
bool LoadNativePictureFile(const QByteArray& nativePath, QImage* out, QString* error);

}  // namespace tovik
