#pragma once

#include <QImage>
#include <QString>

namespace tovik {

// Decodes a picture file, its format told by content: BMP, JPEG and GIF (and
// whatever else Qt reads) in this process, WMF and EMF through the helper
// program tovik-metafile. A file that is missing, empty, cut short, too large
// or not a picture is refused. On failure returns false and a message for the
// user that names the file; *out is left alone.
bool LoadPictureFile(const QString& path, QImage* out, QString* error);

}  // namespace tovik
