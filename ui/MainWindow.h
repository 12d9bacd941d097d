#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>

class QGroupBox;
class QLabel;
class QMenu;
class QAction;
class QProgressBar;
class QPushButton;
class QSlider;

namespace tovik {

struct SimState;
class SettingsStore;
class PictureArea;
class AdvancedDialog;
class AboutBox;
class WindowHost;

// frmMain: the main window with the picture area, the two precision sliders,
// the control panel, the read-outs and the progress bar.
class MainWindow : public QWidget {
    Q_OBJECT
public:
    MainWindow(SimState& state, SettingsStore& store, QWidget* parent = nullptr);
    ~MainWindow() override;

    SimState& state() { return state_; }
    SettingsStore& store() { return store_; }

    // Controls, named as in the window's layout.
    QGroupBox* frmControl = nullptr;
    QPushButton* Command1 = nullptr;  // "Выход"
    QPushButton* Command2 = nullptr;  // "Пуск"
    QPushButton* Command3 = nullptr;  // "Подготовка"
    QPushButton* Command4 = nullptr;  // "Очистка"
    QPushButton* Command5 = nullptr;  // "Дополнительно..."
    QPushButton* Command6 = nullptr;  // "О программе..."
    QPushButton* Command7 = nullptr;  // "Открыть"
    QPushButton* Command8 = nullptr;  // "Сохранить"
    QLabel* Er = nullptr;
    QLabel* Ex = nullptr;
    QLabel* Ey = nullptr;
    QGroupBox* frmDraw = nullptr;
    QSlider* sldrDraw = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QGroupBox* frmCalc = nullptr;
    QSlider* sldrCalc = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QProgressBar* prBar = nullptr;
    PictureArea* pctMain = nullptr;
    QMenu* Menu = nullptr;
    QAction* mnCharge = nullptr;
    QAction* mnClear = nullptr;
    QAction* mnLines = nullptr;

    // Event handlers.
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

    // Sets a slider's position without running its handler.
    static void SetSliderPosition(QSlider* slider, int position);

    // What "Выход" does to end the process; tests replace it.
    void setExitHandler(std::function<void()> handler) { exitHandler_ = std::move(handler); }

    // The bridge between the window and the charge model and field code.
    WindowHost& host() { return *host_; }
    // True once the window has been closed: running commands stop.
    bool isClosing() const { return closing_; }

    AdvancedDialog* advancedDialog() const;
    AboutBox* aboutBox() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls();
    void connectHandlers();
    void setTabOrderChain();

    SimState& state_;
    SettingsStore& store_;
    std::unique_ptr<WindowHost> host_;
    std::function<void()> exitHandler_;
    bool closing_ = false;
    QPointer<AdvancedDialog> advanced_;
    QPointer<AboutBox> about_;
};

}  // namespace tovik
