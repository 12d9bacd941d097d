#include "app/ProgramServices.h"

#include "picture/PictureLoader.h"
#include "picture/PictureWriter.h"

namespace tovik {

WindowServices ProgramServices() {
    WindowServices s = WindowServices::Defaults();
    s.loadPicture = LoadPictureFile;
    s.savePicture = [](const QImage& drawing, const QString& path, QString* error) {
        return WritePictureFile(drawing, path, "BMP", error);
    };
    return s;
}

}  // namespace tovik
