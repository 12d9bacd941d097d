#include "ui/WindowHost.h"

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QSlider>
#include <chrono>

#include "settings/SettingsStore.h"
#include "ui/MainWindow.h"
#include "ui/MainWindowControls.h"
#include "ui/PictureArea.h"
#include "ui/PreparationView.h"
#include "ui/RunProgress.h"
#include "ui/WindowServices.h"

namespace tovik {

WindowHost::WindowHost(MainWindow& window, MainWindowControls& controls, SimState& state, SettingsStore& store,
                       const WindowServices& services)
    : window_(window),
      c_(controls),
      state_(state),
      store_(store),
      services_(services),
      engine_(state, EnginePorts{controls.pctMain->canvas(), *this, *this, *services.random, *this, *this}),
      preparation_(std::make_unique<PreparationView>(controls, state, store, *this, engine_)) {}

WindowHost::~WindowHost() = default;

double WindowHost::Seconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

bool WindowHost::Yield() {
    if (Seconds() < nextPass_) return !stop_ && !window_.isClosing();
    QCoreApplication::processEvents();
    nextPass_ = Seconds() + SliceSeconds;
    return !stop_ && !window_.isClosing();
}

bool WindowHost::ProcessPendingEvents() {
    QCoreApplication::processEvents();
    nextPass_ = Seconds() + SliceSeconds;
    return !window_.isClosing();
}

void WindowHost::RequestStop() {
    if (running_ > 0) stop_ = true;
}

void WindowHost::ShowMenu(float x, float y) {
    const QPoint at(static_cast<int>(x) + PictureArea::Border, static_cast<int>(y) + PictureArea::Border);
    c_.Menu->popup(c_.pctMain->mapToGlobal(at));
}

void WindowHost::DrawSliderClick() { window_.sldrDraw_Click(); }

void WindowHost::Beep() {
    if (services_.beep) services_.beep();
}

void WindowHost::RunPreparation() { preparation_->Run(); }

void WindowHost::RunAutomaticTracing() {
    const Running running(*this);
    struct Counted {
        explicit Counted(int& n) : n(n) { ++n; }
        ~Counted() { --n; }
        int& n;
    } run(runs_);
    RunProgress progress(*c_.prBar, *c_.lblNotice, runs_ > 1);
    engine_.StartAutomaticTracing(&progress);
}

void WindowHost::MouseDown(int button, int shift, float x, float y) {
    const Running running(*this);
    engine_.MouseDown(button, shift, x, y);
}

void WindowHost::MouseMove(int, int, float x, float y) {
    const ProbeReading r = engine_.Probe(x, y);
    c_.Ex->setText(QString::fromStdString(r.Ex));
    c_.Ey->setText(QString::fromStdString(r.Ey));
    c_.Er->setText(QString::fromStdString(r.Er));
}

}  // namespace tovik
