#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class QWidget;

namespace tovik {

struct MainWindowControls;
struct SimState;
struct WindowServices;
class SettingsStore;
class PictureLoadJob;

// The start-up's reload of the last picture, once the window is up: the
// picture loads in the background while the window works (busy pointer,
// Escape abandons it) and then becomes the picture of pctMain, as if it had
// been loaded at start-up. FileName and the caption of Command3 are set
// before, by the start-up sequence.
//
// A file that is gone (or hidden, or no ordinary file) is dropped silently:
// FileName becomes empty and so does the stored name. A file that cannot be
// read is reported and dropped the same way, so that the next start does not
// meet it again. Abandoned with Escape, the load is reported and FileName
// emptied, but the stored name stays. A picture the user opens meanwhile
// takes over; this load then ends without a word.
class LastPictureReload : public QObject {
public:
    LastPictureReload(QWidget& window, MainWindowControls& controls, SimState& state, SettingsStore& store,
                      const WindowServices& services);
    ~LastPictureReload() override;

    void Start(const QString& path);
    bool Running() const;

private:
    void Forget(bool stored);

    QWidget& window_;
    MainWindowControls& c_;
    SimState& state_;
    SettingsStore& store_;
    const WindowServices& services_;
    QPointer<PictureLoadJob> job_;
    bool running_ = false;
};

}  // namespace tovik
