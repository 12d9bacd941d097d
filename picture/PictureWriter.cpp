#include "picture/PictureWriter.h"

#include <QBuffer>
#include <QDir>
#include <QImageWriter>
#include <QSaveFile>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace tovik {

namespace {

// Pushes the file's data to the disk. A file system that cannot sync (a pipe,
// some special file systems) is no error; a failed sync, as on a full or
// failing disk, is.
bool SyncToDisk(int fd) {
    while (::fsync(fd) != 0) {
        if (errno == EINTR) continue;
        return errno == EINVAL || errno == EROFS || errno == ENOTSUP;
    }
    return true;
}

bool Encode(const QImage& image, const char* format, QByteArray* bytes) {
    QBuffer buffer(bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    const bool bmp = std::strcmp(format, "BMP") == 0;
    return writer.write(bmp ? image.convertToFormat(QImage::Format_RGB32) : image);
}

}  // namespace

bool WritePictureFile(const QImage& image, const QString& path, const char* format, QString* error) {
    QByteArray bytes;
    bool written = Encode(image, format, &bytes) && !bytes.isEmpty();
    if (written) {
        // Unbuffered: every write reaches the file (and fails, when it fails)
        // before commit() renames the temporary file over the target.
        QSaveFile file(path);
        written = file.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
        if (written) {
            written = file.write(bytes) == bytes.size() && file.flush() && file.error() == QFileDevice::NoError &&
                      SyncToDisk(file.handle());
            if (written) {
                written = file.commit();
            } else {
                file.cancelWriting();
            }
        }
    }
    if (!written && error)
        *error = QStringLiteral("Не удаётся сохранить рисунок в файл «%1»: запись в него невозможна.")
                     .arg(QDir::toNativeSeparators(path));
    return written;
}

}  // namespace tovik
