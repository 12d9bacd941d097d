#pragma once

#include <array>

#include "model/PreparationHost.h"

class QWidget;

namespace tovik {

class MainWindow;

// Preparation's view of the main window.
class PreparationView : public PreparationHost {
public:
    explicit PreparationView(MainWindow& window);

    void DisablePreparationControls() override;
    void EnablePreparationControls() override;
    void RestorePreparationControls() override;
    int CalcSliderPosition() override;
    float ScaleWidth() override;
    float ScaleHeight() override;
    void SetProgressMax(float max) override;
    float ProgressMax() override;
    void SetProgressValue(float value) override;
    void ShowProgress(bool visible) override;
    PixelView Pixels() override;
    void ShowMarker(bool visible) override;
    void MoveMarker(float left, float top, float width, float height) override;
    void SetLabelText(const std::string& text) override;
    float LabelWidth() override;
    float LabelHeight() override;
    void MoveLabel(float left, float top) override;
    void ShowLabel(bool visible) override;
    void RepaintLabel() override;
    void SetPrepareCaption(const std::string& caption) override;
    void SetElapsedText(const std::string& text) override;

private:
    std::array<QWidget*, 5> controls() const;

    MainWindow& w_;
    std::array<bool, 5> saved_{};
};

}  // namespace tovik
