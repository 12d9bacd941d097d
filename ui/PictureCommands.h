#pragma once

#include <QImage>
#include <QString>

class QWidget;

namespace tovik {

struct MainWindowControls;
struct SimState;
struct WindowServices;
class SettingsStore;

// "Открыть" and "Сохранить" of the main window.
class PictureCommands {
public:
    // The filter of both file dialogs.
    static const QString Filter;

    PictureCommands(QWidget& window, MainWindowControls& controls, SimState& state, SettingsStore& store,
                    const WindowServices& services);

    // "Открыть": asks for a picture file and opens it.
    void Open();
    // Opens the picture file `path` as "Открыть" does with a chosen name.
    // The name of the current picture changes nothing (its lines stay). The
    // file is decoded first: one that cannot be read leaves the picture, its
    // lines, the name and the buttons as they were, and is reported.
    void OpenFile(const QString& path);
    // "Сохранить": asks for a name and writes the drawing area (picture and
    // lines) there as a BMP file; a failed write is reported.
    void Save();
    // Makes `picture` the loaded picture: lines dropped, "Подготовка" shown.
    void Show(const QImage& picture);

private:
    QWidget& window_;
    MainWindowControls& c_;
    SimState& state_;
    SettingsStore& store_;
    const WindowServices& services_;
};

}  // namespace tovik
