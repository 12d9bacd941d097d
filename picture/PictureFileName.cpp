#include "picture/PictureFileName.h"

#include <QFileInfo>
#include <QImage>

#include "picture/PictureWriter.h"

namespace tovik {

namespace {

QString Extension(const QString& path) { return QFileInfo(path).suffix().toLower(); }

}  // namespace

QString NameToWrite(const QString& chosen) {
    static const QStringList readOnly = {"jpg", "jpeg", "gif", "wmf", "emf"};
    return readOnly.contains(Extension(chosen)) ? chosen + QStringLiteral(".bmp") : chosen;
}

const char* FormatOfName(const QString& path) { return Extension(path) == QStringLiteral("png") ? "PNG" : "BMP"; }

bool SavePictureFile(const QImage& drawing, const QString& path, QString* error) {
    return WritePictureFile(drawing, path, FormatOfName(path), error);
}

}  // namespace tovik
