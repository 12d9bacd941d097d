#include "ui/PictureCommands.h"

#include <QPushButton>

#include "model/SimState.h"
#include "settings/SettingsStore.h"
#include "ui/FileDialog.h"
#include "ui/MainWindowControls.h"
#include "ui/PictureArea.h"
#include "ui/WindowServices.h"

namespace tovik {

const QString PictureCommands::Filter =
    QStringLiteral("Графические файлы|*.bmp;*.jpg;*.gif;*.wmf;*.emf|Все файлы|*.*");

PictureCommands::PictureCommands(QWidget& window, MainWindowControls& controls, SimState& state,
                                 SettingsStore& store, const WindowServices& services)
    : window_(window), c_(controls), state_(state), store_(store), services_(services) {}

void PictureCommands::Open() {
    FileDialog cmdOS(services_.chooseFile);
    cmdOS.FileName = QString::fromStdString(state_.FileName);
    cmdOS.Filter = Filter;
    cmdOS.FilterIndex = 1;
    cmdOS.ShowOpen(&window_);
    OpenFile(cmdOS.FileName);
}

void PictureCommands::OpenFile(const QString& path) {
    // A cancelled dialog, and the picture that is already current, change
    // nothing: the lines drawn on it stay.
    if (path == QString::fromStdString(state_.FileName)) return;

    // Decoded before anything changes.
    QImage picture;
    QString error;
    if (!services_.loadPicture(path, &picture, &error)) {
        services_.showError(&window_, error);
        return;
    }
    c_.Command2->setEnabled(false);
    state_.FileName = path.toStdString();
    Show(picture);
    store_.RegPrepare();
    store_.SetKeyValue("FileName", state_.FileName);
}

void PictureCommands::Save() {
    FileDialog cmdOS(services_.chooseFile);
    cmdOS.FileName = QString();
    cmdOS.Filter = Filter;
    cmdOS.FilterIndex = 1;
    cmdOS.ShowSave(&window_);
    if (cmdOS.FileName.isEmpty()) return;
    QString error;
    if (!services_.savePicture(c_.pctMain->image(), cmdOS.FileName, &error)) services_.showError(&window_, error);
}

void PictureCommands::Show(const QImage& picture) {
    c_.pctMain->setPicture(picture);
    // The charge model of the picture before is gone with it: until the next
    // Preparation a press draws nothing and the read-outs show 0.
    state_.Model = EmptyChargeModel();
    c_.Command3->setText(QStringLiteral("Подготовка"));
}

}  // namespace tovik
