#include "app/PictureFiles.h"

#include <QDir>
#include <QImageWriter>
#include <QPushButton>
#include <QSaveFile>

#include "app/FileDialog.h"
#include "app/PictureLoader.h"
#include "app/PictureWriter.h"
#include "model/SimState.h"
#include "settings/SettingsStore.h"
#include "ui/ErrorGuard.h"
#include "ui/MainWindow.h"
#include "ui/PictureArea.h"

namespace tovik {

const QString kPictureFilter =
    QStringLiteral("Графические файлы|*.bmp;*.jpg;*.gif;*.wmf;*.emf|Все файлы|*.*");

void OpenPicture(MainWindow& window) {
    SimState& s = window.state();
    const QString current = QString::fromStdString(s.FileName);
    FileDialog cmdOS;
    cmdOS.FileName = current;
    cmdOS.Filter = kPictureFilter;
    cmdOS.FilterIndex = 1;
    cmdOS.ShowOpen(&window);
    // A cancelled dialog, and the picture that is already current, change
    // nothing: the lines drawn on it stay.
    if (cmdOS.FileName == current) return;

    // Decoded before anything changes, so that a file that cannot be read
    // leaves the picture, its lines, the name and the buttons as they were.
    QImage picture;
    QString error;
    if (!LoadPictureFile(cmdOS.FileName, &picture, &error)) {
        PresentError(&window, error);
        return;
    }
    window.Command2->setEnabled(false);
    s.FileName = cmdOS.FileName.toStdString();
    window.pctMain->setPicture(picture);
    window.Command3->setText(QStringLiteral("Подготовка"));
    window.store().RegPrepare();
    window.store().SetKeyValue("FileName", s.FileName);
}

void SavePicture(MainWindow& window) {
    FileDialog cmdOS;
    cmdOS.FileName = QString();
    cmdOS.Filter = kPictureFilter;
    cmdOS.FilterIndex = 1;
    cmdOS.ShowSave(&window);
    if (cmdOS.FileName.isEmpty()) return;
    QString error;
    if (!WriteBmpFile(window.pctMain->image(), cmdOS.FileName, &error)) PresentError(&window, error);
}

bool WriteBmpFile(const QImage& image, const QString& path, QString* error) {
    return WritePictureFile(image, path, "BMP", error);
}

}  // namespace tovik
