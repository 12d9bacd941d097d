#include "app/ProgramServices.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "picture/PictureFileName.h"
#include "picture/PictureLoader.h"

namespace tovik {

namespace {

// share/tovik/examples of the installed program, or the examples of the
// source tree for a program run from its build folder.
QString ExamplesFolder() {
    const QDir bin(QCoreApplication::applicationDirPath());
    for (const char* relative : {"../share/tovik/examples", "../examples"}) {
        const QFileInfo folder(bin.filePath(QString::fromLatin1(relative)));
        if (folder.isDir()) return QDir::cleanPath(folder.absoluteFilePath());
    }
    return QString();
}

}  // namespace

WindowServices ProgramServices() {
    WindowServices s = WindowServices::Defaults();
    s.loadPicture = LoadPictureFile;
    s.savePicture = SavePictureFile;
    s.examplesFolder = ExamplesFolder();
    return s;
}

}  // namespace tovik
