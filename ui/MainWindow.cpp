#include "ui/MainWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QTimer>

#include "field/Probe.h"
#include "model/NumberText.h"
#include "model/Preparation.h"
#include "model/SimState.h"
#include "settings/SettingsStore.h"
#include "ui/AboutBox.h"
#include "ui/AdvancedDialog.h"
#include "ui/AreaTools.h"
#include "ui/Controls.h"
#include "ui/ErrorGuard.h"
#include "ui/ExportCommand.h"
#include "ui/FieldViews.h"
#include "ui/LanguageChoice.h"
#include "ui/MainWindowControls.h"
#include "ui/PictureArea.h"
#include "ui/PictureCommands.h"
#include "ui/StartUp.h"
#include "ui/WindowFont.h"
#include "ui/WindowHost.h"
#include "ui/WindowNotice.h"

namespace tovik {

namespace {

// Shows a modeless window, bringing it to the front as it is when it is
// already open.
void BringToFront(QWidget* window) {
    window->show();
    window->raise();
    window->activateWindow();
}

QGroupBox* MakeFrame(QWidget* parent, const char* name, int l, int t, int w, int h) {
    auto* g = new QGroupBox(parent);
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

MainWindow::MainWindow(SimState& state, SettingsStore& store, WindowServices services, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      state_(state),
      store_(store),
      services_(std::move(services)),
      c_(std::make_unique<MainWindowControls>()) {
    setObjectName("frmMain");
    setFixedSize(800, 600);
    setFont(DialogFont());
    setAcceptDrops(true);

    createControls();
    host_ = std::make_unique<WindowHost>(*this, *c_, state_, store_, services_);
    files_ = std::make_unique<PictureCommands>(*this, *c_, state_, store_, services_);
    views_ = std::make_unique<FieldViews>(*this, *c_, state_, store_, services_);
    // After the items of the field views.
    c_->mnExport = c_->Menu->addAction(QString());
    c_->mnExport->setObjectName("mnExport");
    export_ = std::make_unique<ExportCommand>(*this, *c_, state_, store_, services_, *views_);
    // After every other item of "Меню".
    language_ = new LanguageChoice(*c_->Menu, store_);
    retranslateUi();
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
    MainWindowControls& c = *c_;
    // The texts are set by retranslateUi.
    c.frmControl = MakeFrame(this, "frmControl", 336, 0, 457, 105);
    c.Command8 = MakeButton(c.frmControl, "Command8", QString(), 272, 56, 65, 25);
    c.Command7 = MakeButton(c.frmControl, "Command7", QString(), 272, 24, 65, 25);
    c.Command6 = MakeButton(c.frmControl, "Command6", QString(), 344, 56, 105, 25);
    c.Command1 = MakeButton(c.frmControl, "Command1", QString(), 112, 56, 65, 25);
    c.Command2 = MakeButton(c.frmControl, "Command2", QString(), 112, 24, 65, 25);
    c.Command2->setEnabled(false);
    c.Command3 = MakeButton(c.frmControl, "Command3", QString(), 8, 24, 97, 25);
    c.Command4 = MakeButton(c.frmControl, "Command4", QString(), 8, 56, 97, 25);
    c.Command5 = MakeButton(c.frmControl, "Command5", QString(), 344, 24, 105, 25);
    c.Er = MakeLabel(c.frmControl, "Er", "0", 320, 85, 129, 17, false);
    c.Ex = MakeLabel(c.frmControl, "Ex", "0", 8, 85, 153, 17, false);
    c.Ey = MakeLabel(c.frmControl, "Ey", "0", 160, 85, 153, 17, false);

    c.frmDraw = MakeFrame(this, "frmDraw", 8, 56, 321, 49);
    c.sldrDraw = MakeSlider(c.frmDraw, "sldrDraw", 1, 10, 7);
    c.Label3 = MakeLabel(c.frmDraw, "Label3", QString(), 8, 24, 44, 13, true);
    c.Label4 = MakeLabel(c.frmDraw, "Label4", QString(), 272, 24, 36, 13, true);

    c.frmCalc = MakeFrame(this, "frmCalc", 8, 0, 321, 49);
    c.sldrCalc = MakeSlider(c.frmCalc, "sldrCalc", 0, 5, 2);
    c.Label1 = MakeLabel(c.frmCalc, "Label1", QString(), 8, 24, 44, 13, true);
    c.Label2 = MakeLabel(c.frmCalc, "Label2", QString(), 272, 24, 36, 13, true);

    c.prBar = new QProgressBar(this);
    c.prBar->setObjectName("prBar");
    c.prBar->setGeometry(8, 584, 785, 17);
    c.prBar->setRange(0, 100);
    c.prBar->setValue(0);
    c.prBar->setTextVisible(false);

    c.pctMain = new PictureArea(this);
    c.pctMain->setObjectName("pctMain");
    c.pctMain->move(8, 112);
    c.pctMain->setFocusPolicy(Qt::StrongFocus);

    c.lblNotice = new WindowNotice(this);

    c.Menu = new QMenu(this);
    c.Menu->setObjectName("Menu");
    c.mnCharge = c.Menu->addAction(QString());
    c.mnCharge->setObjectName("mnCharge");
    c.mnClear = c.Menu->addAction(QString());
    c.mnClear->setObjectName("mnClear");
    c.mnLines = c.Menu->addAction(QString());
    c.mnLines->setObjectName("mnLines");
    c.lblNotice->ClearOnCommands(c);
}

void MainWindow::retranslateUi() {
    MainWindowControls& c = *c_;
    setWindowTitle(tr("Электрическое поле"));
    c.frmControl->setTitle(tr("Панель управления"));
    c.Command8->setText(tr("Сохранить"));
    c.Command7->setText(tr("Открыть"));
    c.Command6->setText(tr("О программе..."));
    c.Command1->setText(tr("Выход"));
    c.Command2->setText(tr("Пуск"));
    RetranslatePreparationCaption(c.Command3);
    c.Command4->setText(tr("Очистка"));
    c.Command5->setText(tr("Дополнительно..."));
    c.Er->setToolTip(tr("Плотность заряда в данной точке: заряд клетки под указателем на одну "
                        "точку рисунка; сразу после подготовки — сколько секунд она шла"));
    c.Ex->setToolTip(tr("X-составляющая вектора напряжённости: горизонтальная составляющая "
                        "поля под указателем (вправо — больше нуля)"));
    c.Ey->setToolTip(tr("Y-составляющая вектора напряжённости: вертикальная составляющая "
                        "поля под указателем (вниз — больше нуля)"));
    c.frmDraw->setTitle(tr("Параметры нахождения линий напряжённости"));
    c.frmCalc->setTitle(tr("Параметры вычисления напряжённости поля"));
    for (QLabel* faster : {c.Label1, c.Label3}) faster->setText(tr("Быстрее"));
    for (QLabel* finer : {c.Label2, c.Label4}) finer->setText(tr("Точнее"));
    for (QLabel* sized : {c.Label1, c.Label2, c.Label3, c.Label4}) sized->adjustSize();
    c.Menu->setTitle(tr("Меню"));
    c.mnCharge->setText(tr("Средний заряд"));
    c.mnClear->setText(tr("Очистка поля"));
    c.mnLines->setText(tr("Нахождение линий"));
    if (c.mnExport) c.mnExport->setText(tr("Экспорт..."));
    views_->Retranslate();
    language_->Sync();
}

void MainWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) retranslateUi();
    QWidget::changeEvent(event);
}

void MainWindow::setTabOrderChain() {
    const MainWindowControls& c = *c_;
    // Focusable controls in the order of their tab indexes.
    QWidget* chain[] = {c.pctMain,  c.sldrCalc, c.sldrDraw, c.Command5, c.Command4, c.Command3,
                        c.Command2, c.Command1, c.Command6, c.Command7, c.Command8};
    for (std::size_t i = 1; i < std::size(chain); ++i) setTabOrder(chain[i - 1], chain[i]);
}

void MainWindow::connectHandlers() {
    const MainWindowControls& c = *c_;
    connect(c.Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(c.Command2, &QPushButton::clicked, this, [this] { Guarded([this] { Command2_Click(); }); });
    connect(c.Command3, &QPushButton::clicked, this, [this] { Guarded([this] { Command3_Click(); }); });
    connect(c.Command4, &QPushButton::clicked, this, [this] { Guarded([this] { Command4_Click(); }); });
    connect(c.Command5, &QPushButton::clicked, this, [this] { Guarded([this] { Command5_Click(); }); });
    connect(c.Command6, &QPushButton::clicked, this, [this] { Guarded([this] { Command6_Click(); }); });
    connect(c.Command7, &QPushButton::clicked, this, [this] { Guarded([this] { Command7_Click(); }); });
    connect(c.Command8, &QPushButton::clicked, this, [this] { Guarded([this] { Command8_Click(); }); });
    connect(c.sldrCalc, &QSlider::valueChanged, this, [this] { Guarded([this] { sldrCalc_Click(); }); });
    connect(c.sldrDraw, &QSlider::valueChanged, this, [this] { Guarded([this] { sldrDraw_Click(); }); });
    connect(c.mnCharge, &QAction::triggered, this, [this] { Guarded([this] { mnCharge_Click(); }); });
    connect(c.mnClear, &QAction::triggered, this, [this] { Guarded([this] { mnClear_Click(); }); });
    connect(c.mnLines, &QAction::triggered, this, [this] { Guarded([this] { mnLines_Click(); }); });
    connect(c.mnExport, &QAction::triggered, this, [this] { Guarded([this] { mnExport_Click(); }); });
    connect(c.pctMain, &PictureArea::mousePressed, this, [this](int button, double x, double y) {
        Guarded([&] {
            pctMain_MouseDown(button, 0, static_cast<float>(x), static_cast<float>(y));
        });
    });
    connect(c.pctMain, &PictureArea::mouseMoved, this, [this](double x, double y) {
        Guarded([&] { pctMain_MouseMove(0, 0, static_cast<float>(x), static_cast<float>(y)); });
    });
}

void MainWindow::Guarded(const std::function<void()>& handler) { RunGuarded(this, services_.showError, handler); }

void MainWindow::Form_Load() {
    Guarded([this] { StartUpSequence(*c_, state_, store_, *files_).Run(); });
}

// Nothing is written at shut-down: every setting was stored when it changed.
void MainWindow::Form_Unload() { store_.ReleaseSettingsKey(); }

void MainWindow::closeEvent(QCloseEvent* event) {
    closing_ = true;
    files_->AbandonReload();
    Form_Unload();
    QWidget::closeEvent(event);
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        host_->RequestStop();
        return;
    }
    QWidget::keyPressEvent(event);
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (!files_->DroppedPicture(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    const QString path = files_->DroppedPicture(event->mimeData());
    if (path.isEmpty()) return;
    event->acceptProposedAction();
    // Opened once the drop is over: the program the file comes from waits
    // for its end.
    QTimer::singleShot(0, this, [this, path] { OpenPicture(path); });
}

void MainWindow::Command1_Click() { services_.exit(); }

void MainWindow::Command2_Click() { host_->RunAutomaticTracing(); }

void MainWindow::Command3_Click() {
    host_->RunPreparation();
    if (!closing_) views_->ModelPrepared();
}

void MainWindow::Command4_Click() { ClearField(*c_->pctMain); }

void MainWindow::Command5_Click() {
    if (!advanced_) {
        advanced_ = new AdvancedDialog(state_, store_, services_);
        advanced_->setAttribute(Qt::WA_DeleteOnClose);
    }
    BringToFront(advanced_);
}

void MainWindow::Command6_Click() {
    if (!about_) {
        about_ = new AboutBox(this, c_->Menu, store_, services_);
        about_->setAttribute(Qt::WA_DeleteOnClose);
    }
    BringToFront(about_);
}

void MainWindow::Command7_Click() { files_->Open(); }

void MainWindow::Command8_Click() { files_->Save(); }

void MainWindow::pctMain_MouseDown(int button, int shift, float x, float y) {
    host_->MouseDown(button, shift, x, y);
}

void MainWindow::pctMain_MouseMove(int button, int shift, float x, float y) {
    views_->PointerMoved(x, y);
    host_->MouseMove(button, shift, x, y);
}

void MainWindow::sldrCalc_Click() { state_.CalcSpeed = CalcSpeedForPosition(c_->sldrCalc->value()); }

// The step is stored when it changes; every trace runs this handler, and the
// settings file is not touched while the slider stays where it is.
void MainWindow::sldrDraw_Click() {
    state_.DrawSpeed = DrawSpeedForPosition(c_->sldrDraw->value());
    if (state_.DrawSpeed == storedDrawSpeed_) return;
    store_.RegPrepare();
    store_.SetKeyValue("DrawSpeed", NumberToText(state_.DrawSpeed));
    storedDrawSpeed_ = state_.DrawSpeed;
}

void MainWindow::mnCharge_Click() { ShowAverageCharge(*c_->pctMain, state_); }

void MainWindow::mnClear_Click() { ClearField(*c_->pctMain); }

void MainWindow::mnLines_Click() {}

void MainWindow::mnExport_Click() { export_->Run(); }

void MainWindow::OpenPicture(const QString& path) {
    Guarded([&] { files_->OpenFile(path); });
}

void MainWindow::ShowPicture(const QImage& picture) { files_->Show(picture); }

bool MainWindow::IsLoadingPicture() const { return files_->Reloading(); }

const QImage& MainWindow::Drawing() const { return c_->pctMain->image(); }

QMenu* MainWindow::SharedMenu() const { return c_->Menu; }

TracingDriver& MainWindow::tracing() { return host_->driver(); }

AdvancedDialog* MainWindow::advancedDialog() const { return advanced_.data(); }
AboutBox* MainWindow::aboutBox() const { return about_.data(); }

}  // namespace tovik
