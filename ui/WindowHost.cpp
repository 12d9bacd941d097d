#include "ui/WindowHost.h"

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QSlider>
#include <algorithm>
#include <chrono>
#include <thread>

#include "field/Probe.h"
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
      services_(services),
      driver_(state, TracingPorts{controls.pctMain->canvas(), *this, *this, *services.random, *this}),
      preparation_(std::make_unique<PreparationView>(controls, state, store, *this)) {
    // Every core traces lines of "Пуск".
    driver_.SetRecord(&controls.pctMain->drawnLines());
    driver_.SetThreads(static_cast<int>(std::max(1u, std::thread::hardware_concurrency())));
}

WindowHost::~WindowHost() = default;

WindowHost::Running::~Running() {
    if (--h.running_ == 0) h.stop_ = false;
}

double WindowHost::Seconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

bool WindowHost::Going() const { return !stop_ && !window_.isClosing(); }

bool WindowHost::Pass() {
    QCoreApplication::processEvents();
    ++passes_;
    lastReading_ = Seconds();
    nextPass_ = lastReading_ + SliceSeconds;
    return Going();
}

bool WindowHost::Yield() {
    ++callsSince_;
    if (--callsLeft_ > 0) return Going();
    const double now = Seconds();
    // Read the clock again after the calls that take about a tenth of a
    // slice at the pace of the last ones.
    const double perCall = (now - lastReading_) / static_cast<double>(callsSince_);
    callsLeft_ = perCall > 0 ? std::clamp(static_cast<long>(SliceSeconds / 10 / perCall), 1L, 256L) : 256;
    callsSince_ = 0;
    lastReading_ = now;
    if (now < nextPass_) return Going();
    return Pass();
}

bool WindowHost::Idle() { return Pass(); }

bool WindowHost::ProcessPendingEvents() {
    Pass();
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
    driver_.StartAutomaticTracing(&progress);
}

void WindowHost::MouseDown(int button, int shift, float x, float y) {
    const Running running(*this);
    driver_.MouseDown(button, shift, x, y);
}

void WindowHost::MouseMove(int, int, float x, float y) {
    const ProbeReading r = ReadProbe(driver_.Field(), x, y);
    c_.Ex->setText(QString::fromStdString(r.Ex));
    c_.Ey->setText(QString::fromStdString(r.Ey));
    c_.Er->setText(QString::fromStdString(r.Er));
}

}  // namespace tovik
