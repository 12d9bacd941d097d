#include "app/StartUp.h"

#include "model/SimState.h"
#include "settings/SettingsStore.h"
#include "ui/MainWindow.h"

namespace tovik {

void RunStartUp(MainWindow& window) {
    SimState& s = window.state();
    s.CalcSpeed = 8;
    s.DrawSpeed = 4;
    s.TimeLimit = 10;
    s.MaxTension = 5000;
    s.PartDimmension = 25;
    s.MaxCharge = 1000;
}

void RunShutDown(MainWindow& window) { window.store().ReleaseSettingsKey(); }

}  // namespace tovik
