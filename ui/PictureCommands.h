#pragma once

#include <QCoreApplication>
#include <QImage>
#include <QString>
#include <memory>
#include <string>

class QMimeData;
class QWidget;

namespace tovik {

struct MainWindowControls;
struct SimState;
struct WindowServices;
class SettingsStore;
class PictureLoadJob;
enum class PictureProblem;

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
    ~PictureCommands();

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

    // The start-up's reload of the last picture `path`, once the window is
    // up: it loads while the window works (see PictureLoadJob), then becomes
    // the picture as if it had been loaded at start-up. FileName and the
    // caption of Command3 are set already. A file that is gone or no regular
    // file is dropped without a word: FileName and the stored name become
    // empty. One that cannot be read is reported and dropped the same way, so
    // that the next start does not meet it again. Abandoned with Escape it is
    // reported and FileName emptied, but the stored name stays for the next
    // start. A picture opened meanwhile takes over without a word.
    void Reload(const QString& path);
    bool Reloading() const { return reload_ != nullptr; }
    // Ends the reload, its decoder with it; nothing more comes of it.
    void AbandonReload();

private:
    void Reloaded(const std::string& name, PictureProblem problem, const QImage& picture);

    QWidget& window_;
    MainWindowControls& c_;
    SimState& state_;
    SettingsStore& store_;
    const WindowServices& services_;
    std::unique_ptr<PictureLoadJob> reload_;
};

}  // namespace tovik
