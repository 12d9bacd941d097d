#pragma once

#include <QImage>
#include <QString>
#include <functional>
#include <memory>

#include "model/Ports.h"
#include "ui/FileDialog.h"

class QWidget;

namespace tovik {

// What the windows need from the rest of the program and from the desktop,
// handed to the main window when it is made. The program's start fills in
// the picture files; tests replace whatever they must observe.
struct WindowServices {
    // Decodes a picture file. On failure: false and a message for the user
    // that names the file.
    std::function<bool(const QString& path, QImage* picture, QString* error)> loadPicture;
    // Writes the drawing area as a picture file (PNG for a name ending in
    // .png, else BMP); on failure false and a message.
    std::function<bool(const QImage& drawing, const QString& path, QString* error)> savePicture;
    // Shows a modal open or save dialog; the chosen name, empty when cancelled.
    FileDialog::Runner chooseFile;
    // The folder of the bundled example pictures, where the open dialog
    // starts until a picture has been opened; empty when there is none.
    QString examplesFolder;
    // A command that could not be carried out: a run-time error, a file that
    // cannot be read or written.
    std::function<void(QWidget* parent, const QString& message)> showError;
    // A text the advanced parameters dialog cannot take.
    std::function<void(QWidget* parent, const QString& message)> showWarning;
    // A message box with an OK button only and no icon.
    std::function<void(QWidget* parent, const QString& title, const QString& text)> showMessage;
    // Starts a program detached from this one; false when it could not start.
    std::function<bool(const QString& program)> startProgram;
    // The generator of "Пуск".
    std::shared_ptr<RandomSource> random;
    // The system's signal sound, at the end of "Пуск".
    std::function<void()> beep;
    // What "Выход" does: ends the process at once.
    std::function<void()> exit;

    // Qt's dialogs and message boxes, a time-seeded generator, the desktop's
    // beep and an immediate exit. The picture files are left empty.
    static WindowServices Defaults();
};

}  // namespace tovik
