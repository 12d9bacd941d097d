#pragma once

#include <QImage>
#include <QString>

namespace tovik {

// Decodes a picture file, its format told by content. On failure returns
// false and a message for the user that names the file.
bool LoadPictureFile(const QString& path, QImage* out, QString* error);

}  // namespace tovik
