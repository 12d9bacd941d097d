#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace tovik {

// Writes an image as a picture file of the given format ("BMP": 24 bits a
// pixel; "PNG"), whatever the name's extension. The picture is encoded first,
// then written into a temporary file beside the target, which is flushed to
// the disk and only then put in the target's place: a write that fails at
// any step (a full disk, a file-size limit) is reported, leaves an existing
// file as it was and leaves no temporary file behind.
//
// Only regular files are written. A target that exists and is anything else
// (a FIFO, a device, a socket, a folder, or a symbolic link whose final
// target is one of those) is refused, and nothing is created or replaced;
// this is checked on what is actually replaced, so a file swapped in at the
// last moment is refused too. A symbolic link to a regular file is written
// through: the file it names is replaced and the link stays.
//
// On failure returns false and a message for the user that names the file.
// The second form takes the name as the file system has it, byte for byte.
bool WritePictureFile(const QImage& image, const QString& path, const char* format, QString* error);
bool WriteNativePictureFile(const QImage& image, const QByteArray& nativePath, const char* format, QString* error);

}  // namespace tovik
