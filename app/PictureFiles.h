#pragma once

#include <QImage>
#include <QString>

namespace tovik {

class MainWindow;

// The filter of both file dialogs.
extern const QString kPictureFilter;

// "Открыть": opens a picture file and makes it the current picture. The file
// is decoded first; a file that cannot be read leaves everything as it was and
// is reported.
void OpenPicture(MainWindow& window);
// "Сохранить": writes the drawing area (picture and lines) as a BMP file.
void SavePicture(MainWindow& window);

// Writes an image as a 24-bit BMP file, whatever the name's extension, through
// a temporary file that replaces the target only once it is complete: a
// failed write leaves an existing file as it was. On failure returns false and
// a message for the user that names the file.
bool WriteBmpFile(const QImage& image, const QString& path, QString* error);

}  // namespace tovik
