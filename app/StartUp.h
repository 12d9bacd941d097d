#pragma once

namespace tovik {

class MainWindow;

// Load of frmMain: brings the stored settings into the simulation state, sets
// the two sliders to match (without running their handlers), reloads the last
// picture and releases the settings key.
void RunStartUp(MainWindow& window);

// Unload of frmMain: releases the settings key. Nothing is written.
void RunShutDown(MainWindow& window);

}  // namespace tovik
