#pragma once

#include "model/Platform.h"

namespace tovik {

class MainWindow;

// Connects the charge model and the field code to the main window: the clock,
// the event loop, drawing on the picture area and the window's controls.
class WindowHost : public Clock, public EventLoop, public Canvas {
public:
    explicit WindowHost(MainWindow& window);

    double Seconds() override;
    bool Yield() override;
    void SetForeColor(std::int32_t bgr) override;
    void Plot(float x, float y) override;
    void LineTo(float x, float y) override;

    void RunPreparation();
    void RunAutomaticTracing();
    void MouseDown(int button, int shift, float x, float y);
    void MouseMove(int button, int shift, float x, float y);
    void CalcSliderClick();
    void DrawSliderClick();

private:
    MainWindow& window_;
};

}  // namespace tovik
