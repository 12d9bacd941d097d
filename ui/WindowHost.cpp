#include "ui/WindowHost.h"

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QSlider>
#include <chrono>

#include "field/Probe.h"
#include "field/Tension.h"
#include "model/Preparation.h"
#include "settings/SettingsStore.h"
#include "ui/MainWindow.h"
#include "ui/PictureArea.h"
#include "ui/PreparationView.h"

namespace tovik {

WindowHost::WindowHost(MainWindow& window)
    : window_(window),
      field_(std::make_unique<TensionEvaluator>(window.state())),
      preparationView_(std::make_unique<PreparationView>(window)),
      random_(std::make_unique<TimeSeededRandom>()),
      beep_([] { QApplication::beep(); }),
      tracer_(window.state(), *field_, *this, *this, *this, *this) {}

WindowHost::~WindowHost() = default;

double WindowHost::Seconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

bool WindowHost::Yield() {
    QCoreApplication::processEvents();
    return !window_.isClosing();
}

void WindowHost::SetForeColor(std::int32_t bgr) { window_.pctMain->setForeColor(bgr); }
void WindowHost::Plot(float x, float y) { window_.pctMain->plot(x, y); }
void WindowHost::LineTo(float x, float y) { window_.pctMain->lineTo(x, y); }

void WindowHost::ShowMenu(float x, float y) {
    const QPoint at(static_cast<int>(x) + PictureArea::Border, static_cast<int>(y) + PictureArea::Border);
    window_.Menu->popup(window_.pctMain->mapToGlobal(at));
}

void WindowHost::DrawSliderClick() { window_.sldrDraw_Click(); }

void WindowHost::RunPreparation() {
    Preparation prep(window_.state(), *preparationView_, window_.store(), *this, *this);
    prep.Run();
}

void WindowHost::setRandomSource(std::unique_ptr<RandomSource> random) { random_ = std::move(random); }

void WindowHost::RunAutomaticTracing() {
    AutoTracer run(window_.state(), tracer_, *random_);
    run.Run(beep_);
}

void WindowHost::MouseDown(int button, int shift, float x, float y) { tracer_.MouseDown(button, shift, x, y); }

void WindowHost::MouseMove(int, int, float x, float y) {
    const ProbeReading r = ReadProbe(window_.state(), *field_, x, y);
    window_.Ex->setText(QString::fromStdString(r.Ex));
    window_.Ey->setText(QString::fromStdString(r.Ey));
    window_.Er->setText(QString::fromStdString(r.Er));
}

void WindowHost::CalcSliderClick() {
    window_.state().CalcSpeed = Preparation::CalcSpeedForPosition(window_.sldrCalc->value());
}

}  // namespace tovik
