#pragma once

#include <QImage>
#include <QString>

namespace tovik {

// Writes an image as a picture file of the given format ("BMP": 24 bits a
// pixel; "PNG"), whatever the name's extension. The picture is encoded first,
// then written unbuffered into a temporary file beside the target, which is
// flushed to the disk and only then renamed over it: a write that fails at any
// step (a full disk included) is reported and leaves an existing file as it
// was. On failure returns false and a message for the user that names the
// file.
bool WritePictureFile(const QImage& image, const QString& path, const char* format, QString* error);

}  // namespace tovik
