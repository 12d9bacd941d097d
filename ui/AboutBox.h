#pragma once

#include <QDialog>
#include <QString>

class QFrame;
class QLabel;
class QMenu;
class QMenuBar;
class QPushButton;

namespace tovik {

struct WindowServices;
class SettingsStore;

// frmAbout: the program's name and version, and the system information
// launcher. Its menu bar is the main window's menu "Меню", whose items act on
// the main window wherever they are chosen.
class AboutBox : public QDialog {
    Q_OBJECT
public:
    // `menu` is the main window's "Меню", shown here as the menu bar.
    AboutBox(QWidget* owner, QMenu* menu, const SettingsStore& store, const WindowServices& services);

    // The application title, as the About box and its message show it.
    static QString AppTitle();
    // The one message of the launcher.
    static QString UnavailableMessage();

    // Event handlers.
    void cmdOK_Click();
    void cmdSysInfo_Click();

    // Starts the system information tool without waiting for it; when it
    // cannot be found or started, says so in a message box.
    void StartSysInfo();

private:
    // Controls. The client area (382 x 237) lies below the menu bar; the
    // controls' positions are relative to it.
    QMenuBar* menuBar = nullptr;
    QWidget* client = nullptr;
    QLabel* picIcon = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdSysInfo = nullptr;
    // The etched separator: Line1[1] is the grey upper line, Line1[0] the
    // white lower one.
    QFrame* Line1[2] = {nullptr, nullptr};
    QLabel* lblDescription = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblDisclaimer = nullptr;

    void createControls(QMenu* menu);

    const SettingsStore& store_;
    const WindowServices& services_;
};

}  // namespace tovik
