#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QTimer>
#include <QIcon>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "app/ProgramServices.h"
#include "ui/Translations.h"
#include "field/Geometry.h"
#include "model/SimState.h"
#include "settings/SettingsStore.h"
#include "ui/MainWindow.h"
#include "ui/ProgramIcon.h"
#include "tovik/Version.h"

namespace {

bool HasDisplay() {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform && *platform) return true;  // the caller chose a platform
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 && *x11) || (wayland && *wayland);
}

}  // namespace

// --help and --version print their text without a window.
bool AsksForText(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view a = argv[i];
        if (a == "-h" || a == "--help" || a == "-v" || a == "--version" || a == "--help-all") return true;
    }
    return false;
}

int main(int argc, char** argv) {
    if (AsksForText(argc, argv) && !HasDisplay()) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (!HasDisplay()) {
        std::fprintf(stderr,
                     "tovik: no graphical display (neither DISPLAY nor WAYLAND_DISPLAY is set); "
                     "the program needs one to show its window.\n");
        return 2;
    }
    QApplication app(argc, argv);
    tovik::InstallQtTranslations();
    QCoreApplication::setOrganizationName("Quillfeather");
    QCoreApplication::setApplicationName("Tovik");
    QCoreApplication::setApplicationVersion(tovik::version::Text);
    // Docks match the window to tovik.desktop by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("tovik"));
    QApplication::setWindowIcon(QIcon(tovik::ProgramIcon()));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Tovik: the electrostatic field of a picture and its field lines."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("Picture to open (BMP, JPEG, GIF, WMF, EMF)."), QStringLiteral("[FILE]"));
    parser.process(app);
    const QStringList files = parser.positionalArguments();
    const QString file = files.isEmpty() ? QString() : QFileInfo(files.first()).absoluteFilePath();

    tovik::ZeroVector = tovik::FieldVector{0, 0};
    // The one simulation state, created before the main window loads.
    static tovik::SimState state;
    tovik::SettingsStore store;
    tovik::MainWindow frmMain(state, store, tovik::ProgramServices());
    frmMain.show();
    // A picture named on the command line is opened as "Открыть" would open
    // it, once the window is up.
    if (!file.isEmpty()) QTimer::singleShot(0, &frmMain, [&] { frmMain.OpenPicture(file); });
    return app.exec();
}
