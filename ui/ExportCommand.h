#pragma once

#include <QCoreApplication>
#include <QString>

#include "export/ExportFormat.h"

class QWidget;

namespace tovik {

struct MainWindowControls;
struct SimState;
struct WindowServices;
class FieldViews;
class SettingsStore;

// "Экспорт..." of "Меню": asks for a file name and hands out what the window
// shows, as a vector picture (SVG, PDF), a raster picture (PNG) or the data
// of the lines (JSON, CSV), in the format the name's extension asks for; a
// name without an extension gets that of the type chosen in the dialog. The
// dialog starts in the folder and with the type of the last export. Every
// file is written in full or not at all; a failure is reported and leaves an
// existing file as it was.
class ExportCommand {
    Q_DECLARE_TR_FUNCTIONS(tovik::ExportCommand)

public:
    ExportCommand(QWidget& window, MainWindowControls& controls, SimState& state, SettingsStore& store,
                  const WindowServices& services, const FieldViews& views);

    void Run();

    // The dialog's file types, in the language shown.
    static QString Filter();
    // Settings names: the folder of the last export, and its format as an
    // extension ("svg", "pdf", "png", "json" or "csv"). Anything else stored
    // reads as the default: no folder, SVG.
    static constexpr const char* FolderKey = "ExportFolder";
    static constexpr const char* FormatKey = "ExportFormat";
    // Pixels of line between the arrows drawn along the field lines of SVG,
    // PDF and PNG: a whole number from 1 to 10000; anything else, none.
    static constexpr const char* ArrowsKey = "ExportArrows";

private:
    void Write(const QString& path, ExportFormat format);
    QString Stored(const char* name) const;
    int ArrowSpacing() const;

    QWidget& window_;
    MainWindowControls& c_;
    SimState& state_;
    SettingsStore& store_;
    const WindowServices& services_;
    const FieldViews& views_;
};

}  // namespace tovik
