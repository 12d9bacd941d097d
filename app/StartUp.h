#pragma once

namespace tovik {

class MainWindow;

// Load of frmMain: brings the stored settings into the simulation state, sets
// the two sliders to match (without running their handlers), reloads the last
// picture and releases the settings key.
//
// A stored number beyond its variable's range is brought to the nearest end
// of that range (after the absolute value: the largest value of the type), a
// slider position beyond the slider's range to the nearest end of the slider,
// and a stored picture that is not an ordinary file, or cannot be read as a
// picture, is dropped as if the file were gone.
void RunStartUp(MainWindow& window);

// Unload of frmMain: releases the settings key. Nothing is written.
void RunShutDown(MainWindow& window);

}  // namespace tovik
