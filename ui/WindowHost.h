#pragma once

#include <functional>
#include <memory>

#include "field/AutoTracer.h"
#include "field/Tracer.h"
#include "model/Platform.h"

namespace tovik {

class MainWindow;
class PreparationView;
class TensionEvaluator;

// Connects the charge model and the field code to the main window: the clock,
// the event loop, drawing on the picture area, the popup menu and the sliders.
class WindowHost : public Clock, public EventLoop, public Canvas, public TraceHost {
public:
    explicit WindowHost(MainWindow& window);
    ~WindowHost() override;

    double Seconds() override;
    bool Yield() override;
    void SetForeColor(std::int32_t bgr) override;
    void Plot(float x, float y) override;
    void LineTo(float x, float y) override;
    void ShowMenu(float x, float y) override;
    void DrawSliderClick() override;

    void RunPreparation();
    void RunAutomaticTracing();
    void MouseDown(int button, int shift, float x, float y);
    void MouseMove(int button, int shift, float x, float y);
    void CalcSliderClick();

    TensionEvaluator& field() { return *field_; }
    // Tests replace the generator of "Пуск" and the beep.
    void setRandomSource(std::unique_ptr<RandomSource> random);
    void setBeep(std::function<void()> beep) { beep_ = std::move(beep); }

private:
    MainWindow& window_;
    std::unique_ptr<TensionEvaluator> field_;
    std::unique_ptr<PreparationView> preparationView_;
    std::unique_ptr<RandomSource> random_;
    std::function<void()> beep_;
    Tracer tracer_;
};

}  // namespace tovik
