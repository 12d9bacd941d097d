#pragma once

#include <array>

#include "model/Preparation.h"

class QWidget;

namespace tovik {

struct MainWindowControls;
class SettingsStore;
class WindowHost;

// "Подготовка" in the main window: the controls, the stored cell size, the
// progress bar and the single yield around the engine's computation, then
// the marker, the mean and the elapsed time.
class PreparationView : public PreparationProgress {
public:
    PreparationView(MainWindowControls& controls, SimState& state, SettingsStore& store, WindowHost& host);

    void Run();

    void ColumnSampled(int x) override;
    void MarkerShown() override;
    void MarkerMoved(float left, float top, float width, float height) override;

private:
    std::array<QWidget*, 5> controls() const;
    void DisableControls();
    void EnableControls();
    void RestoreControls();

    MainWindowControls& c_;
    SimState& state_;
    SettingsStore& store_;
    WindowHost& host_;
    std::array<bool, 5> saved_{};
};

}  // namespace tovik
