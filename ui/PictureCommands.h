#pragma once

#include <QCoreApplication>
#include <QImage>
#include <QString>

class QMimeData;
class QWidget;

namespace tovik {

struct MainWindowControls;
struct SimState;
struct WindowServices;
class SettingsStore;

// "Открыть" and "Сохранить" of the main window.
class PictureCommands {
    Q_DECLARE_TR_FUNCTIONS(tovik::PictureCommands)
public:
    // The filters of the open dialog (every format the program reads) and of
    // the save dialog (the formats it writes), in the language in use.
    static QString Filter();
    static QString SaveFilter();

    PictureCommands(QWidget& window, MainWindowControls& controls, SimState& state, SettingsStore& store,
                    const WindowServices& services);

    // "Открыть": asks for a picture file and opens it. Until a picture has
    // been opened the dialog starts in the folder of the bundled examples.
    void Open();
    // Opens the picture file `path` as "Открыть" does with a chosen name.
    // The name of the current picture changes nothing (its lines stay). The
    // file is decoded first: one that cannot be read leaves the picture, its
    // lines, the name and the buttons as they were, and is reported.
    void OpenFile(const QString& path);
    // "Сохранить": asks for a name and writes the drawing area (picture and
    // lines) there, as PNG for a name ending in .png and as BMP otherwise
    // (see NameToWrite for the name); a failed write is reported.
    void Save();
    // Makes `picture` the loaded picture: lines dropped, "Подготовка" shown.
    // A picture larger than the drawing area is cut to its top-left part, and
    // the notice line says so.
    void Show(const QImage& picture);
    // The file a drag offers to drop, when it is one local file and "Открыть"
    // is available now; else empty.
    QString DroppedPicture(const QMimeData* data) const;

private:
    QWidget& window_;
    MainWindowControls& c_;
    SimState& state_;
    SettingsStore& store_;
    const WindowServices& services_;
};

}  // namespace tovik
