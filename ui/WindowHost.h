#pragma once

#include <cstdint>
#include <memory>

#include "drawing/TracingDriver.h"
#include "field/Tension.h"
#include "model/SimState.h"

namespace tovik {

class MainWindow;
struct MainWindowControls;
struct WindowServices;
class SettingsStore;
class PreparationView;

// The main window's side of tracing: its clock, its event loop, its picture
// area as the canvas, the popup menu, the drawing-precision slider and the
// beep. It runs the commands that draw lines, and the probe.
class WindowHost : public Clock, public EventLoop, public TracingHost {
public:
    WindowHost(MainWindow& window, MainWindowControls& controls, SimState& state, SettingsStore& store,
               const WindowServices& services);
    ~WindowHost() override;

    double Seconds() override;
    // A trace's yield after every step. It lets the event loop run when a
    // slice of time has passed since its last pass, and otherwise returns
    // at once; the clock itself is read only every so many calls, as many
    // as take about a tenth of a slice. False when the window has gone or
    // the user asked to stop.
    bool Yield() override;
    bool Idle() override;
    std::uint64_t Passes() const override { return passes_; }
    // Lets the event loop handle every pending event now (Preparation's one
    // yield). False when the window has gone.
    bool ProcessPendingEvents();
    // Escape: every running trace and run ends at its next step, and the
    // threads tracing lines ahead stop.
    void RequestStop();
    void ShowMenu(float x, float y) override;
    void DrawSliderClick() override;
    void Beep() override;

    void RunPreparation();
    void RunAutomaticTracing();
    void MouseDown(int button, int shift, float x, float y);
    void MouseMove(int button, int shift, float x, float y);

    TracingDriver& driver() { return driver_; }

    // Event-loop passes a trace lets through at least this often.
    static constexpr double SliceSeconds = 0.0005;

private:
    // Marks a trace or a run as running for as long as it lives.
    struct Running {
        explicit Running(WindowHost& h) : h(h) { ++h.running_; }
        ~Running();
        WindowHost& h;
    };
    bool Pass();
    bool Going() const;

    MainWindow& window_;
    MainWindowControls& c_;
    SimState& state_;
    const WindowServices& services_;
    TracingDriver driver_;
    std::unique_ptr<PreparationView> preparation_;
    double nextPass_ = 0;
    double lastReading_ = 0;
    long callsLeft_ = 1;    // Yield calls before the clock is read again
    long callsSince_ = 0;   // Yield calls since it was last read
    std::uint64_t passes_ = 0;
    int running_ = 0;  // traces and runs in progress, nested ones included
    int runs_ = 0;     // runs of "Пуск" in progress
    bool stop_ = false;
};

}  // namespace tovik
