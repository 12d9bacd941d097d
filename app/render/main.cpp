// tovik-render: covers a picture with field lines without a display, the way
// "Подготовка" and then "Пуск" would in the window, and writes the result as
// a BMP file. Used where no graphical display is available.

#include <QApplication>
#include <QCommandLineParser>
#include <QImage>
#include <QPushButton>
#include <QSaveFile>
#include <QTemporaryDir>
#include <cstdio>

#include "app/PictureLoader.h"
#include "field/Geometry.h"
#include "model/SimState.h"
#include "settings/SettingsStore.h"
#include "ui/ErrorGuard.h"
#include "ui/MainWindow.h"
#include "ui/PictureArea.h"
#include "ui/WindowHost.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName("tovik-render");

    QCommandLineParser parser;
    parser.setApplicationDescription("Covers a picture with field lines and saves it as BMP.");
    parser.addHelpOption();
    parser.addPositionalArgument("picture", "Picture to read (BMP, JPEG, GIF, WMF, EMF, PNG...).");
    parser.addPositionalArgument("output", "BMP file to write.");
    parser.process(app);
    const QStringList args = parser.positionalArguments();
    if (args.size() != 2) parser.showHelp(2);

    QString failure;
    tovik::SetErrorPresenter([&failure](QWidget*, const QString& m) { failure = m; });

    QImage picture;
    QString error;
    if (!tovik::LoadPictureFile(args[0], &picture, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }

    // A settings store of its own, so the user's settings stay untouched.
    QTemporaryDir settingsDir;
    tovik::ZeroVector = tovik::FieldVector{0, 0};
    static tovik::SimState state;
    tovik::SettingsStore store(settingsDir.path());
    tovik::MainWindow window(state, store);
    window.host().setBeep([] {});
    window.pctMain->setPicture(picture);

    window.Command3->click();  // "Подготовка"
    if (failure.isEmpty()) window.Command2->click();  // "Пуск"
    if (!failure.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(failure));
        return 1;
    }

    QSaveFile out(args[1]);
    if (!out.open(QIODevice::WriteOnly) || !window.pctMain->image().save(&out, "BMP") || !out.commit()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(args[1]));
        return 1;
    }
    std::printf("Field lines of %s written to %s\n", qPrintable(args[0]), qPrintable(args[1]));
    return 0;
}
