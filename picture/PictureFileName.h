#pragma once

#include <QImage>
#include <QString>

namespace tovik {

// The name "Сохранить" writes to: a chosen name that ends in the extension
// of a format that is read but never written (.jpg, .jpeg, .gif, .wmf, .emf,
// in any case) gets ".bmp" added, so that the name tells what the file holds.
// Any other name stays as chosen.
QString NameToWrite(const QString& chosen);

// The format a picture file of that name is written in: "PNG" for a name
// ending in .png (in any case), "BMP" for any other.
const char* FormatOfName(const QString& path);

// Writes the drawing area to `path` in the format its name asks for (see
// WritePictureFile for the failures).
bool SavePictureFile(const QImage& drawing, const QString& path, QString* error);

}  // namespace tovik
