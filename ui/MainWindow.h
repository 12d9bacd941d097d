#pragma once

#include <QPointer>
#include <QWidget>
#include <memory>

#include "ui/WindowServices.h"

class QMenu;

namespace tovik {

struct SimState;
struct MainWindowControls;
class SettingsStore;
class AdvancedDialog;
class AboutBox;
class PictureCommands;
class TracingDriver;
class WindowHost;
class FieldViews;
class ExportCommand;
class LanguageChoice;

// frmMain: the main window with the picture area, the two precision sliders,
// the control panel, the read-outs and the progress bar. Its controls are
// its own; the rest of the program asks it by intent.
class MainWindow : public QWidget {
    Q_OBJECT
public:
    MainWindow(SimState& state, SettingsStore& store, WindowServices services, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Event handlers, named after their controls.
    void Form_Load();
    void Form_Unload();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Command6_Click();
    void Command7_Click();
    void Command8_Click();
    void pctMain_MouseDown(int button, int shift, float x, float y);
    void pctMain_MouseMove(int button, int shift, float x, float y);
    void sldrCalc_Click();
    void sldrDraw_Click();
    void mnCharge_Click();
    void mnClear_Click();
    void mnLines_Click();
    void mnExport_Click();

    // Opens a picture file as "Открыть" does with the name chosen in its
    // dialog: the picture becomes the current one and is remembered, or a
    // message says why it cannot be read.
    void OpenPicture(const QString& path);
    // Shows a picture as if it had just been loaded, lines dropped, without
    // remembering any file.
    void ShowPicture(const QImage& picture);
    // Whether the last picture, reloaded at start-up, is still on its way.
    bool IsLoadingPicture() const;
    // The drawing area, picture and lines, as "Сохранить" writes it.
    const QImage& Drawing() const;
    // The menu "Меню", which the About box shows as its menu bar.
    QMenu* SharedMenu() const;

    SimState& state() { return state_; }
    SettingsStore& store() { return store_; }
    const WindowServices& services() const { return services_; }
    // What draws the lines of presses and of "Пуск" in the window.
    TracingDriver& tracing();
    // True once the window has been closed: running commands stop.
    bool isClosing() const { return closing_; }

    AdvancedDialog* advancedDialog() const;
    AboutBox* aboutBox() const;

protected:
    // A change of language sets every text again.
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // Escape stops every running trace and run.
    void keyPressEvent(QKeyEvent* event) override;
    // A picture file dropped on the window is opened as "Открыть" opens it.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void createControls();
    void retranslateUi();
    void connectHandlers();
    void setTabOrderChain();
    // Runs a handler under the error guard of the window.
    void Guarded(const std::function<void()>& handler);

    SimState& state_;
    SettingsStore& store_;
    WindowServices services_;
    std::unique_ptr<MainWindowControls> c_;
    std::unique_ptr<WindowHost> host_;
    std::unique_ptr<PictureCommands> files_;
    std::unique_ptr<FieldViews> views_;
    std::unique_ptr<ExportCommand> export_;
    LanguageChoice* language_ = nullptr;  // owned by the menu
    bool closing_ = false;
    // The step last stored by the drawing-precision slider.
    int storedDrawSpeed_ = 0;
    QPointer<AdvancedDialog> advanced_;
    QPointer<AboutBox> about_;
};

}  // namespace tovik
