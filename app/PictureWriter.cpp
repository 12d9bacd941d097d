#include "app/PictureWriter.h"

#include <QDir>
#include <QImageWriter>
#include <QSaveFile>

namespace tovik {

bool WritePictureFile(const QImage& image, const QString& path, const char* format, QString* error) {
    QSaveFile file(path);
    bool written = file.open(QIODevice::WriteOnly);
    if (written) {
        QImageWriter writer(&file, format);
        written = writer.write(image.convertToFormat(QImage::Format_RGB32));
        if (written) {
            written = file.commit();
        } else {
            file.cancelWriting();
        }
    }
    if (!written && error)
        *error = QStringLiteral("Не удаётся сохранить рисунок в файл «%1»: запись в него невозможна.")
                     .arg(QDir::toNativeSeparators(path));
    return written;
}

}  // namespace tovik
