#include "ui/MainWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <cstdlib>

#include "app/AdvancedDialog.h"
#include "app/PictureFiles.h"
#include "app/StartUp.h"
#include "field/Probe.h"
#include "model/SimState.h"
#include "settings/SettingsStore.h"
#include "ui/AboutBox.h"
#include "ui/AreaTools.h"
#include "ui/Controls.h"
#include "ui/ErrorGuard.h"
#include "ui/PictureArea.h"
#include "ui/WindowFont.h"
#include "ui/WindowHost.h"

namespace tovik {

namespace {

QGroupBox* MakeFrame(QWidget* parent, const char* name, const QString& text, int l, int t, int w,
                     int h) {
    auto* g = new QGroupBox(text, parent);
    g->setObjectName(name);
    g->setGeometry(l, t, w, h);
    return g;
}

QSlider* MakeSlider(QWidget* parent, const char* name, int minimum, int maximum, int position) {
    auto* s = new QSlider(Qt::Horizontal, parent);
    s->setObjectName(name);
    s->setGeometry(56, 16, 217, 25);
    s->setRange(minimum, maximum);
    s->setValue(position);
    s->setSingleStep(1);
    s->setPageStep(5);
    s->setTickInterval(1);
    s->setTickPosition(QSlider::TicksBelow);
    // A drag reports its position once, when the slider is released.
    s->setTracking(false);
    return s;
}

}  // namespace

MainWindow::MainWindow(SimState& state, SettingsStore& store, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      state_(state),
      store_(store),
      exitHandler_([] { std::_Exit(0); }) {
    setObjectName("frmMain");
    setWindowTitle(QStringLiteral("Электрическое поле"));
    setFixedSize(800, 600);
    setFont(DialogFont());

    createControls();
    host_ = std::make_unique<WindowHost>(*this);
    setTabOrderChain();
    connectHandlers();
    Form_Load();
}

MainWindow::~MainWindow() {
    closing_ = true;
    if (advanced_) delete advanced_.data();
    if (about_) delete about_.data();
}

void MainWindow::createControls() {
    frmControl = MakeFrame(this, "frmControl", QStringLiteral("Панель управления"), 336, 0, 457, 105);
    Command8 = MakeButton(frmControl, "Command8", QStringLiteral("Сохранить"), 272, 56, 65, 25);
    Command7 = MakeButton(frmControl, "Command7", QStringLiteral("Открыть"), 272, 24, 65, 25);
    Command6 = MakeButton(frmControl, "Command6", QStringLiteral("О программе..."), 344, 56, 105, 25);
    Command1 = MakeButton(frmControl, "Command1", QStringLiteral("Выход"), 112, 56, 65, 25);
    Command2 = MakeButton(frmControl, "Command2", QStringLiteral("Пуск"), 112, 24, 65, 25);
    Command2->setEnabled(false);
    Command3 = MakeButton(frmControl, "Command3", QStringLiteral("Подготовка"), 8, 24, 97, 25);
    Command4 = MakeButton(frmControl, "Command4", QStringLiteral("Очистка"), 8, 56, 97, 25);
    Command5 = MakeButton(frmControl, "Command5", QStringLiteral("Дополнительно..."), 344, 24, 105, 25);
    Er = MakeLabel(frmControl, "Er", "0", 320, 85, 129, 17, false);
    Er->setToolTip(QStringLiteral("Плотность заряда в данной точке"));
    Ex = MakeLabel(frmControl, "Ex", "0", 8, 85, 153, 17, false);
    Ex->setToolTip(QStringLiteral("X-составляющая вектора напряжённости"));
    Ey = MakeLabel(frmControl, "Ey", "0", 160, 85, 153, 17, false);
    Ey->setToolTip(QStringLiteral("Y-составляющая вектора напряжённости"));

    frmDraw = MakeFrame(this, "frmDraw", QStringLiteral("Параметры нахождения линий напряжённости"), 8,
                        56, 321, 49);
    sldrDraw = MakeSlider(frmDraw, "sldrDraw", 1, 10, 7);
    Label3 = MakeLabel(frmDraw, "Label3", QStringLiteral("Быстрее"), 8, 24, 44, 13, true);
    Label4 = MakeLabel(frmDraw, "Label4", QStringLiteral("Точнее"), 272, 24, 36, 13, true);

    frmCalc = MakeFrame(this, "frmCalc", QStringLiteral("Параметры вычисления напряжённости поля"), 8, 0,
                        321, 49);
    sldrCalc = MakeSlider(frmCalc, "sldrCalc", 0, 5, 2);
    Label1 = MakeLabel(frmCalc, "Label1", QStringLiteral("Быстрее"), 8, 24, 44, 13, true);
    Label2 = MakeLabel(frmCalc, "Label2", QStringLiteral("Точнее"), 272, 24, 36, 13, true);

    prBar = new QProgressBar(this);
    prBar->setObjectName("prBar");
    prBar->setGeometry(8, 584, 785, 17);
    prBar->setRange(0, 100);
    prBar->setValue(0);
    prBar->setTextVisible(false);

    pctMain = new PictureArea(this);
    pctMain->setObjectName("pctMain");
    pctMain->move(8, 112);
    pctMain->setFocusPolicy(Qt::StrongFocus);

    Menu = new QMenu(QStringLiteral("Меню"), this);
    Menu->setObjectName("Menu");
    mnCharge = Menu->addAction(QStringLiteral("Средний заряд"));
    mnCharge->setObjectName("mnCharge");
    mnClear = Menu->addAction(QStringLiteral("Очистка поля"));
    mnClear->setObjectName("mnClear");
    mnLines = Menu->addAction(QStringLiteral("Нахождение линий"));
    mnLines->setObjectName("mnLines");
}

void MainWindow::setTabOrderChain() {
    // Focusable controls in the order of their tab indexes.
    QWidget* chain[] = {pctMain,  sldrCalc, sldrDraw, Command5, Command4, Command3,
                        Command2, Command1, Command6, Command7, Command8};
    for (std::size_t i = 1; i < std::size(chain); ++i) setTabOrder(chain[i - 1], chain[i]);
}

void MainWindow::connectHandlers() {
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { RunGuarded(this, [this] { Command2_Click(); }); });
    connect(Command3, &QPushButton::clicked, this, [this] { RunGuarded(this, [this] { Command3_Click(); }); });
    connect(Command4, &QPushButton::clicked, this, [this] { RunGuarded(this, [this] { Command4_Click(); }); });
    connect(Command5, &QPushButton::clicked, this, [this] { RunGuarded(this, [this] { Command5_Click(); }); });
    connect(Command6, &QPushButton::clicked, this, [this] { RunGuarded(this, [this] { Command6_Click(); }); });
    connect(Command7, &QPushButton::clicked, this, [this] { RunGuarded(this, [this] { Command7_Click(); }); });
    connect(Command8, &QPushButton::clicked, this, [this] { RunGuarded(this, [this] { Command8_Click(); }); });
    connect(sldrCalc, &QSlider::valueChanged, this, [this] { RunGuarded(this, [this] { sldrCalc_Click(); }); });
    connect(sldrDraw, &QSlider::valueChanged, this, [this] { RunGuarded(this, [this] { sldrDraw_Click(); }); });
    connect(mnCharge, &QAction::triggered, this, [this] { RunGuarded(this, [this] { mnCharge_Click(); }); });
    connect(mnClear, &QAction::triggered, this, [this] { RunGuarded(this, [this] { mnClear_Click(); }); });
    connect(mnLines, &QAction::triggered, this, [this] { RunGuarded(this, [this] { mnLines_Click(); }); });
    connect(pctMain, &PictureArea::mousePressed, this, [this](int button, double x, double y) {
        RunGuarded(this, [&] {
            pctMain_MouseDown(button, 0, static_cast<float>(x), static_cast<float>(y));
        });
    });
    connect(pctMain, &PictureArea::mouseMoved, this, [this](double x, double y) {
        RunGuarded(this, [&] { pctMain_MouseMove(0, 0, static_cast<float>(x), static_cast<float>(y)); });
    });
}

void MainWindow::SetSliderPosition(QSlider* slider, int position) {
    const QSignalBlocker block(slider);
    slider->setValue(position);
}

void MainWindow::Form_Load() {
    RunGuarded(this, [this] { RunStartUp(*this); });
}

void MainWindow::Form_Unload() { RunShutDown(*this); }

void MainWindow::closeEvent(QCloseEvent* event) {
    closing_ = true;
    Form_Unload();
    QWidget::closeEvent(event);
}

void MainWindow::Command1_Click() { exitHandler_(); }

void MainWindow::Command2_Click() { host_->RunAutomaticTracing(); }

void MainWindow::Command3_Click() { host_->RunPreparation(); }

void MainWindow::Command4_Click() { ClearField(*this); }

namespace {

// Creates the modeless window when it is not open, else brings the open one
// to the front as it is.
template <typename Window>
void ShowSingle(QPointer<Window>& window, MainWindow& owner) {
    if (!window) {
        window = new Window(owner);
        window->setAttribute(Qt::WA_DeleteOnClose);
    }
    window->show();
    window->raise();
    window->activateWindow();
}

}  // namespace

void MainWindow::Command5_Click() { ShowSingle(advanced_, *this); }

void MainWindow::Command6_Click() { ShowSingle(about_, *this); }

void MainWindow::Command7_Click() { OpenPicture(*this); }

void MainWindow::Command8_Click() { SavePicture(*this); }

void MainWindow::pctMain_MouseDown(int button, int shift, float x, float y) {
    host_->MouseDown(button, shift, x, y);
}

void MainWindow::pctMain_MouseMove(int button, int shift, float x, float y) {
    host_->MouseMove(button, shift, x, y);
}

void MainWindow::sldrCalc_Click() { host_->CalcSliderClick(); }

void MainWindow::sldrDraw_Click() { SetDrawSpeedFromSlider(state_, sldrDraw->value(), store_); }

void MainWindow::mnCharge_Click() { ShowAverageCharge(*this); }

void MainWindow::mnClear_Click() { ClearField(*this); }

void MainWindow::mnLines_Click() {}

AdvancedDialog* MainWindow::advancedDialog() const { return advanced_.data(); }
AboutBox* MainWindow::aboutBox() const { return about_.data(); }

}  // namespace tovik
