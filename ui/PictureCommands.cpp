#include "ui/PictureCommands.h"

#include <QDir>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>

#include "model/SimState.h"
#include "picture/PictureFileName.h"
#include "picture/PictureLoadJob.h"
#include "settings/SettingsStore.h"
#include "ui/Controls.h"
#include "ui/FileDialog.h"
#include "ui/MainWindowControls.h"
#include "ui/PictureArea.h"
#include "ui/WindowNotice.h"
#include "ui/WindowServices.h"

namespace tovik {

QString PictureCommands::Filter() {
    return tr("Графические файлы|*.bmp;*.jpg;*.jpeg;*.png;*.gif;*.wmf;*.emf|Все файлы|*.*");
}

QString PictureCommands::SaveFilter() { return tr("Рисунок BMP|*.bmp|Рисунок PNG|*.png"); }

PictureCommands::PictureCommands(QWidget& window, MainWindowControls& controls, SimState& state,
                                 SettingsStore& store, const WindowServices& services)
    : window_(window), c_(controls), state_(state), store_(store), services_(services) {}

PictureCommands::~PictureCommands() = default;

void PictureCommands::Open() {
    FileDialog cmdOS(services_.chooseFile);
    cmdOS.FileName = QString::fromStdString(state_.FileName);
    cmdOS.InitDir = services_.examplesFolder;
    cmdOS.Filter = Filter();
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
    cmdOS.Filter = SaveFilter();
    cmdOS.FilterIndex = 1;
    cmdOS.ShowSave(&window_);
    if (cmdOS.FileName.isEmpty()) return;
    QString error;
    if (!services_.savePicture(c_.pctMain->image(), NameToWrite(cmdOS.FileName), &error))
        services_.showError(&window_, error);
}

void PictureCommands::Show(const QImage& picture) {
    c_.pctMain->setPicture(picture);
    // The charge model of the picture before is gone with it: until the next
    // Preparation a press draws nothing and the read-outs show 0.
    state_.Model = EmptyChargeModel();
    SetPreparationCaption(c_.Command3, false);
    c_.lblNotice->Clear();
    if (picture.width() > DrawingWidth || picture.height() > DrawingHeight)
        c_.lblNotice->Say([width = picture.width(), height = picture.height()] {
            return tr("Рисунок %1 × %2 точек больше области рисования: в расчёте участвуют "
                      "только левые верхние %3 × %4 точек.")
                .arg(width)
                .arg(height)
                .arg(DrawingWidth)
                .arg(DrawingHeight);
        });
}

QString PictureCommands::DroppedPicture(const QMimeData* data) const {
    if (!data || !c_.Command7->isEnabled() || !data->hasUrls()) return QString();
    const QList<QUrl> urls = data->urls();
    if (urls.size() != 1 || !urls.first().isLocalFile()) return QString();
    return urls.first().toLocalFile();
}

void PictureCommands::Reload(const QString& path) {
    const std::string name = path.toStdString();
    reload_ = std::make_unique<PictureLoadJob>(
        path, PictureLoadJob::Mode::Background,
        [this, name](PictureProblem problem, const QImage& picture) { Reloaded(name, problem, picture); });
}

void PictureCommands::AbandonReload() { reload_.reset(); }

void PictureCommands::Reloaded(const std::string& name, PictureProblem problem, const QImage& picture) {
    // Called by the job itself: it goes once this returns.
    if (reload_) reload_.release()->deleteLater();
    // A picture opened since stays.
    if (state_.FileName != name) return;
    if (problem == PictureProblem::None) {
        c_.Command2->setEnabled(false);
        Show(picture);
        return;
    }
    state_.FileName.clear();
    if (problem != PictureProblem::Cancelled && problem != PictureProblem::Busy) {
        store_.RegPrepare();
        store_.SetKeyValue("FileName", "");
        store_.ReleaseSettingsKey();
    }
    const bool silent = problem == PictureProblem::NotFound || problem == PictureProblem::NotAFile ||
                        problem == PictureProblem::Busy;
    if (!silent && services_.showError)
        services_.showError(&window_, PictureProblemMessage(problem, QDir::toNativeSeparators(QString::fromStdString(name))));
}

}  // namespace tovik
