#include "ui/WindowHost.h"

#include <QCoreApplication>
#include <chrono>

#include "ui/MainWindow.h"
#include "ui/PictureArea.h"

namespace tovik {

WindowHost::WindowHost(MainWindow& window) : window_(window) {}

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

void WindowHost::RunPreparation() {}
void WindowHost::RunAutomaticTracing() {}
void WindowHost::MouseDown(int, int, float, float) {}
void WindowHost::MouseMove(int, int, float, float) {}
void WindowHost::CalcSliderClick() {}
void WindowHost::DrawSliderClick() {}

}  // namespace tovik
