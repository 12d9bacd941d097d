#pragma once

#include <string>

class QSlider;

namespace tovik {

struct MainWindowControls;
class PictureCommands;
struct SimState;
class SettingsStore;

// Load of frmMain: brings the stored settings into the simulation state, sets
// the two sliders to match (without running their handlers), sets FileName and
// the caption of Command3 for the last picture and starts reloading it (the
// picture arrives once the window is up, see PictureCommands::Reload), and
// releases the settings key.
//
// A stored number beyond its variable's range is brought to the nearest end
// of that range (after the absolute value: the largest value of the type), a
// slider position beyond the slider's range to the nearest end of the slider,
// and a stored picture with a hidden name is dropped as if the file were gone.
class StartUpSequence {
public:
    StartUpSequence(MainWindowControls& controls, SimState& state, SettingsStore& store,
                    PictureCommands& files);

    void Run();

private:
    bool Read(const char* name, std::string& text);
    template <typename Int>
    Int LoadInteger(const char* name, const char* defaultText, Int defaultValue);
    float LoadReal(const char* name, const char* defaultText, float defaultValue);
    void LoadPicture();

    MainWindowControls& c_;
    SimState& state_;
    SettingsStore& store_;
    PictureCommands& files_;
};

// Sets a slider's position, clamped to its range, without running its handler.
void SetSliderQuietly(QSlider* slider, int position);

}  // namespace tovik
