// tovik-screenshot PICTURE OUTPUT.png: shows the main window, opens PICTURE
// the way start-up reopens the last picture, with the equipotentials and the
// map of |E| switched on, runs "Подготовка", waits for the field, runs "Пуск",
// points at the picture so that the read-outs show the field there, and saves
// what the screen shows of the window. scripts/screenshot.sh runs it under
// an Xvfb of its own for the README and the AppStream metainfo.

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

#include "picture/PictureLoader.h"
#include "field/Geometry.h"
#include "model/SimState.h"
#include "settings/SettingsStore.h"
#include "ui/FieldViews.h"
#include "ui/MainWindow.h"
#include "ui/ProgramIcon.h"

namespace {

int Fail(const char* what) {
    std::fprintf(stderr, "tovik-screenshot: %s\n", what);
    return 1;
}

bool Click(QWidget& window, const char* name) {
    auto* button = window.findChild<QPushButton*>(name);
    if (!button || !button->isEnabled()) return false;
    button->click();
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 3) return Fail("usage: tovik-screenshot PICTURE OUTPUT.png");
    QApplication::setWindowIcon(QIcon(tovik::ProgramIcon()));

    // Settings of its own that name the picture, so the user's stay untouched.
    QTemporaryDir settingsDir;
    {
        QSettings settings(settingsDir.filePath("Tovik.conf"), QSettings::IniFormat);
        settings.setValue("FileName", QDir().absoluteFilePath(QString::fromLocal8Bit(argv[1])));
        settings.setValue(tovik::FieldViews::EquipotentialsKey, "1");
        settings.setValue(tovik::FieldViews::FieldMapKey, "1");
    }
    static tovik::SimState state;
    tovik::SettingsStore store(settingsDir.path());
    tovik::WindowServices services = tovik::WindowServices::Defaults();
    services.loadPicture = tovik::LoadPictureFile;
    services.beep = [] {};
    tovik::MainWindow window(state, store, services);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) return Fail("the window never showed");

    if (!Click(window, "Command3")) return Fail("\"Подготовка\" cannot be pressed (no picture?)");
    const auto* views = window.findChild<tovik::FieldViews*>("FieldViews");
    for (int waited = 0; views && !views->Idle() && waited < 30000; waited += 10) QTest::qWait(10);
    if (!Click(window, "Command2")) return Fail("\"Пуск\" cannot be pressed after \"Подготовка\"");
    if (QWidget* picture = window.findChild<QWidget*>("pctMain")) QTest::mouseMove(picture, QPoint(390, 160));
    QTest::qWait(500);

    const QPixmap shot = window.screen()->grabWindow(window.winId());
    if (shot.isNull() || !shot.save(QString::fromLocal8Bit(argv[2]), "PNG")) return Fail("cannot save the picture");
    std::printf("%s: %dx%d\n", argv[2], shot.width(), shot.height());
    return 0;
}
