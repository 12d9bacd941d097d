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
    // A trace's yield after every step. It lets the event loop run when a
    // slice of tracing time has passed since its last pass, and otherwise
    // returns at once, so that a step costs a clock reading rather than a
    // pass of the event loop, and no event waits longer than a slice and a
    // step. False when the window has gone or the user asked to stop.
    bool Yield() override;
    // Lets the event loop handle every pending event now (Preparation's one
    // yield). False when the window has gone.
    bool ProcessPendingEvents();
    // Escape: every running trace and run ends at its next step.
    void RequestStop();
    void ShowMenu(float x, float y) override;
    void DrawSliderClick() override;
    void Beep() override;

    void RunPreparation();
    void RunAutomaticTracing();
    void MouseDown(int button, int shift, float x, float y);
    void MouseMove(int button, int shift, float x, float y);

    Engine& engine() { return engine_; }

    // Event-loop passes a trace lets through at least this often.
    static constexpr double SliceSeconds = 0.0005;

private:
    // Marks a trace or a run as running for as long as it lives.
    struct Running {
        explicit Running(WindowHost& h) : h(h) { ++h.running_; }
        ~Running() {
            if (--h.running_ == 0) h.stop_ = false;
        }
        WindowHost& h;
    };

    MainWindow& window_;
    MainWindowControls& c_;
    SimState& state_;
    SettingsStore& store_;
    const WindowServices& services_;
    Engine engine_;
    std::unique_ptr<PreparationView> preparation_;
    double nextPass_ = 0;
    int running_ = 0;  // traces and runs in progress, nested ones included
    int runs_ = 0;     // runs of "Пуск" in progress
    bool stop_ = false;
};

}  // namespace tovik
