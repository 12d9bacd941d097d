#include "app/PictureLoader.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include "app/MetafileDecoder.h"
#include "app/PictureFormat.h"
#include "app/metafile/RasterFormat.h"

namespace tovik {

namespace {

// Files larger than this are not read at all: an uncompressed BMP of the
// largest picture allowed fits easily.
constexpr qint64 kMaxPictureFileBytes = 256LL * 1024 * 1024;
// Qt's readers refuse to allocate more than this many megabytes for one image.
constexpr int kAllocationLimitMb = 128;

QString Shown(const QString& path) { return QDir::toNativeSeparators(path); }

// text names the file as %1.
bool Fail(QString* error, const QString& text, const QString& path) {
    if (error) *error = text.arg(Shown(path));
    return false;
}

bool FailTooLarge(QString* error, const QString& path) {
    if (error)
        *error = QStringLiteral("Рисунок «%1» слишком велик: допускается не более %2 точек по ширине "
                                "и по высоте.")
                     .arg(Shown(path), QString::number(metafile::kMaxPictureSide));
    return false;
}

const QString kNotPicture = QStringLiteral(
    "Файл «%1» не удаётся прочитать как рисунок: его формат не поддерживается или файл повреждён.");

bool LoadMetafile(const QString& path, QImage* out, QString* error) {
    QImage img;
    switch (DecodeMetafile(path, &img)) {
        case MetafileResult::Decoded:
            *out = img;
            return true;
        case MetafileResult::HelperMissing:
            return Fail(error,
                        QStringLiteral("Не удаётся прочитать метафайл «%1»: не найдена программа "
                                       "чтения метафайлов tovik-metafile."),
                        path);
        case MetafileResult::TimedOut:
            if (error)
                *error = QStringLiteral("Не удаётся прочитать метафайл «%1»: чтение заняло больше "
                                        "%2 с и было прервано.")
                             .arg(Shown(path), QString::number((MetafileTimeLimit() + 999) / 1000));
            return false;
        case MetafileResult::TooLarge:
            return FailTooLarge(error, path);
        case MetafileResult::Rejected:
        case MetafileResult::Crashed:
        case MetafileResult::BadOutput:
            break;
    }
    return Fail(error,
                QStringLiteral("Не удаётся прочитать метафайл «%1»: файл повреждён или его формат "
                               "не поддерживается."),
                path);
}

bool LoadRaster(const QString& path, QByteArray& data, PictureKind kind, QImage* out, QString* error) {
    if (PictureCutShort(kind, data))
        return Fail(error, QStringLiteral("Файл «%1» обрезан: рисунок записан в нём не полностью."), path);
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    reader.setAllocationLimit(kAllocationLimitMb);
    const QSize announced = reader.size();
    if (announced.isValid() && !metafile::PictureSizeAllowed(announced.width(), announced.height()))
        return FailTooLarge(error, path);
    const QImage img = reader.read();
    if (img.isNull()) return Fail(error, kNotPicture, path);
    if (!metafile::PictureSizeAllowed(img.width(), img.height())) return FailTooLarge(error, path);
    *out = img;
    return true;
}

}  // namespace

bool LoadPictureFile(const QString& path, QImage* out, QString* error) {
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists()) return Fail(error, QStringLiteral("Файл «%1» не найден."), path);
    if (!info.isFile()) return Fail(error, QStringLiteral("«%1» — не файл, а папка или устройство."), path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Fail(error, QStringLiteral("Не удаётся открыть файл «%1»: нет доступа."), path);
    if (file.size() == 0) return Fail(error, QStringLiteral("Файл «%1» пуст: рисунка в нём нет."), path);
    if (file.size() > kMaxPictureFileBytes) return FailTooLarge(error, path);
    QByteArray data = file.readAll();
    if (data.size() != file.size()) return Fail(error, QStringLiteral("Не удаётся прочитать файл «%1»."), path);
    file.close();

    const PictureKind kind = SniffPicture(data);
    if (kind == PictureKind::Wmf || kind == PictureKind::Emf) return LoadMetafile(path, out, error);
    return LoadRaster(path, data, kind, out, error);
}

}  // namespace tovik
