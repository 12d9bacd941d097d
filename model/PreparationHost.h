#pragma once

#include <string>

#include "model/Platform.h"

namespace tovik {

// What Preparation needs of the main window: its controls, the progress bar,
// the marker OptCalc, the label Label5 and the pixels of the drawing area.
class PreparationHost {
public:
    virtual ~PreparationHost() = default;

    // The commands that must not run during a Preparation: sldrCalc,
    // Command2, Command3, Command7 and Command8. Disabling remembers their
    // states; Restore puts those states back (used when a run fails).
    virtual void DisablePreparationControls() = 0;
    virtual void EnablePreparationControls() = 0;
    virtual void RestorePreparationControls() = 0;

    virtual int CalcSliderPosition() = 0;

    // Size of the drawing area in pixels.
    virtual float ScaleWidth() = 0;
    virtual float ScaleHeight() = 0;

    virtual void SetProgressMax(float max) = 0;
    virtual float ProgressMax() = 0;
    virtual void SetProgressValue(float value) = 0;
    virtual void ShowProgress(bool visible) = 0;

    // The drawing area's pixels, picture and drawings.
    virtual PixelView Pixels() = 0;

    virtual void ShowMarker(bool visible) = 0;
    virtual void MoveMarker(float left, float top, float width, float height) = 0;

    virtual void SetLabelText(const std::string& text) = 0;
    virtual float LabelWidth() = 0;
    virtual float LabelHeight() = 0;
    virtual void MoveLabel(float left, float top) = 0;
    virtual void ShowLabel(bool visible) = 0;
    virtual void RepaintLabel() = 0;

    virtual void SetPrepareCaption(const std::string& caption) = 0;
    virtual void SetElapsedText(const std::string& text) = 0;
};

}  // namespace tovik
