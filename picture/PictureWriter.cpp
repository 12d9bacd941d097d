#include "picture/PictureWriter.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImageWriter>
#include <cstring>

#include "picture/AtomicFile.h"
#include "picture/FileName.h"

namespace tovik {

namespace {

using Outcome = AtomicFile::Outcome;

bool Encode(const QImage& image, const char* format, QByteArray* bytes) {
    QBuffer buffer(bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    const bool bmp = std::strcmp(format, "BMP") == 0;
    return writer.write(bmp ? image.convertToFormat(QImage::Format_RGB32) : image);
}

Outcome WriteRegularFile(const QByteArray& bytes, const QByteArray& path) {
    AtomicFile file(path);
    const Outcome opened = file.Open();
    if (opened != Outcome::Written) return opened;
    file.Device().write(bytes);
    return file.Commit();
}

bool Write(const QImage& image, const QByteArray& path, const QString& shown, const char* format,
           QString* error) {
    QByteArray bytes;
    Outcome outcome = Outcome::Failed;
    if (Encode(image, format, &bytes) && !bytes.isEmpty())
        outcome = WriteRegularFile(bytes, path);
    if (outcome == Outcome::Written) return true;
    if (error)
        *error = outcome == Outcome::NotRegular
                     ? QCoreApplication::translate("tovik::PictureWriter",
                                                   "Не удаётся сохранить рисунок в «%1»: это не обычный файл, "
                                                   "а папка, канал или устройство. Выберите другое имя файла.")
                           .arg(shown)
                     : QCoreApplication::translate("tovik::PictureWriter",
                                                   "Не удаётся сохранить рисунок в файл «%1»: запись в него "
                                                   "невозможна.")
                           .arg(shown);
    return false;
}

}  // namespace

bool WritePictureFile(const QImage& image, const QString& path, const char* format, QString* error) {
    return Write(image, QFile::encodeName(path), QDir::toNativeSeparators(path), format, error);
}

bool WriteNativePictureFile(const QImage& image, const QByteArray& nativePath, const char* format, QString* error) {
    return Write(image, nativePath, ShownFileName(nativePath), format, error);
}

}  // namespace tovik
