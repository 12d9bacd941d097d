#include "ui/LastPictureReload.h"

#include <QPushButton>

#include "model/SimState.h"
#include "picture/PictureLoadJob.h"
#include "settings/SettingsStore.h"
#include "ui/MainWindowControls.h"
#include "ui/PictureArea.h"
#include "ui/WindowServices.h"

namespace tovik {

LastPictureReload::LastPictureReload(QWidget& window, MainWindowControls& controls, SimState& state,
                                     SettingsStore& store, const WindowServices& services)
    : QObject(&window), window_(window), c_(controls), state_(state), store_(store), services_(services) {}

LastPictureReload::~LastPictureReload() { delete job_.data(); }

bool LastPictureReload::Running() const { return running_; }

void LastPictureReload::Start(const QString& path) {
    delete job_.data();
    const std::string name = path.toStdString();
    running_ = true;
    job_ = new PictureLoadJob(path, PictureLoadJob::Mode::Background, [this, name](const PictureLoadJob::Outcome& o) {
        running_ = false;
        job_->deleteLater();
        // Whatever the user has opened since stays.
        if (state_.FileName != name) return;
        switch (o.status) {
            case PictureLoadJob::Status::Loaded:
                c_.Command2->setEnabled(false);
                c_.pctMain->setPicture(o.picture);
                c_.Command3->setText(QStringLiteral("Подготовка"));
                return;
            case PictureLoadJob::Status::Superseded: return Forget(false);
            case PictureLoadJob::Status::NotOrdinaryFile: return Forget(true);
            case PictureLoadJob::Status::Failed: break;
        }
        // Abandoned with Escape, the name stays for the next start.
        Forget(o.reason != DecodeResult::Cancelled);
        if (services_.showError) services_.showError(&window_, o.error);
    });
}

// No picture came: FileName empty, and the stored name too when `stored`.
void LastPictureReload::Forget(bool stored) {
    state_.FileName.clear();
    if (!stored) return;
    store_.RegPrepare();
    store_.SetKeyValue("FileName", "");
    store_.ReleaseSettingsKey();
}

}  // namespace tovik
