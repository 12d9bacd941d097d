#include <QApplication>
#include <QIcon>
#include <cstdio>
#include <cstdlib>

#include "app/Translations.h"
#include "field/Geometry.h"
#include "model/SimState.h"
#include "settings/SettingsStore.h"
#include "ui/MainWindow.h"
#include "ui/ProgramIcon.h"

namespace {

bool HasDisplay() {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform && *platform) return true;  // the caller chose a platform
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 && *x11) || (wayland && *wayland);
}

}  // namespace

int main(int argc, char** argv) {
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
    QApplication::setWindowIcon(QIcon(tovik::ProgramIcon()));

    tovik::ZeroVector = tovik::FieldVector{0, 0};
    // The one simulation state, created before the main window loads.
    static tovik::SimState state;
    tovik::SettingsStore store;
    tovik::MainWindow frmMain(state, store);
    frmMain.show();
    return app.exec();
}
