#include "app/PictureLoader.h"

#include <QImageReader>

namespace tovik {

bool LoadPictureFile(const QString& path, QImage* out, QString* error) {
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    QImage img = reader.read();
    if (img.isNull()) {
        if (error) *error = QStringLiteral("Не удаётся прочитать рисунок «%1».").arg(path);
        return false;
    }
    *out = img;
    return true;
}

}  // namespace tovik
