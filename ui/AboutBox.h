#pragma once

#include <QDialog>
#include <QString>
#include <functional>

class QFrame;
class QLabel;
class QMenuBar;
class QPushButton;

namespace tovik {

class MainWindow;

// frmAbout: the program's name and version, and the system information
// launcher. Its menu bar is the main window's menu "Меню", whose items act on
// the main window wherever they are chosen.
class AboutBox : public QDialog {
    Q_OBJECT
public:
    explicit AboutBox(MainWindow& window);

    // The application title, as the About box and its message show it.
    static QString AppTitle();
    // The one message of the launcher.
    static QString UnavailableMessage();

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

    // Event handlers.
    void cmdOK_Click();
    void cmdSysInfo_Click();

    // Starts the system information tool without waiting for it; when it
    // cannot be found or started, says so in a message box.
    void StartSysInfo();

    // Starts a program detached from this one; false when it could not be
    // started. Tests replace it so that nothing is started.
    using ProcessStarter = std::function<bool(const QString& program)>;
    static void SetProcessStarter(ProcessStarter starter);
    static void ResetProcessStarter();

    // Shows a message box with an OK button only and no icon. Tests replace it
    // so that no modal box opens.
    using MessagePresenter =
        std::function<void(QWidget* parent, const QString& title, const QString& text)>;
    static void SetMessagePresenter(MessagePresenter presenter);
    static void ResetMessagePresenter();

private:
    void createControls();

    MainWindow& window_;
};

}  // namespace tovik
