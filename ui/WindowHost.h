#pragma once

#include <memory>

#include "field/Engine.h"
#include "model/Ports.h"

namespace tovik {

class MainWindow;
struct MainWindowControls;
struct WindowServices;
class SettingsStore;
class PreparationView;

// The main window's side of the engine: its clock, its event loop, its
// picture area as the canvas, the popup menu, the drawing-precision slider
// and the beep. It runs the commands that the engine computes.
class WindowHost : public Clock, public EventLoop, public TraceHost, public Beeper {
public:
    WindowHost(MainWindow& window, MainWindowControls& controls, SimState& state, SettingsStore& store,
               const WindowServices& services);
    ~WindowHost() override;

    double Seconds() override;
    bool Yield() override;
    void ShowMenu(float x, float y) override;
    void DrawSliderClick() override;
    void Beep() override;

    void RunPreparation();
    void RunAutomaticTracing();
    void MouseDown(int button, int shift, float x, float y);
    void MouseMove(int button, int shift, float x, float y);

    Engine& engine() { return engine_; }

private:
    MainWindow& window_;
    MainWindowControls& c_;
    SimState& state_;
    SettingsStore& store_;
    const WindowServices& services_;
    Engine engine_;
    std::unique_ptr<PreparationView> preparation_;
};

}  // namespace tovik
