#pragma once

#include <QImage>
#include <QString>

namespace tovik {

// Writes an image as a picture file of the given format ("BMP" or "PNG"),
// whatever the name's extension, through a temporary file that replaces the
// target only once it is complete: a failed write leaves an existing file as
// it was. On failure returns false and a message for the user that names the
// file.
bool WritePictureFile(const QImage& image, const QString& path, const char* format, QString* error);

}  // namespace tovik
