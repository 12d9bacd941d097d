#pragma once

#include <functional>
#include <string>
#include <vector>

#include "model/Platform.h"
#include "model/PreparationHost.h"

namespace tovik::test {

// Records what the charge model and field code ask of the window.
struct FakeSettings : SettingsWriter {
    void RegPrepare() override { ++prepares; }
    void SetKeyValue(std::string_view name, std::string_view text) override {
        writes.emplace_back(std::string(name), std::string(text));
    }
    int prepares = 0;
    std::vector<std::pair<std::string, std::string>> writes;
};

struct FakeClock : Clock {
    double Seconds() override { return now += step; }
    double now = 1000.0;
    double step = 0.0;
};

struct FakeLoop : EventLoop {
    bool Yield() override {
        ++yields;
        if (onYield) onYield();
        return alive;
    }
    int yields = 0;
    bool alive = true;
    std::function<void()> onYield;
};

// A drawing area of w x h pixels held as RGB32 words, with the controls
// Preparation touches.
struct FakePreparationHost : PreparationHost {
    FakePreparationHost(int w, int h) : width(w), height(h), pixels(static_cast<std::size_t>(w) * h, 0xFF000000u) {}

    void SetPixel(int x, int y, std::uint32_t rgb) { pixels[static_cast<std::size_t>(y) * width + x] = 0xFF000000u | rgb; }

    void DisablePreparationControls() override { events.push_back("disable"); enabled = false; }
    void EnablePreparationControls() override { events.push_back("enable"); enabled = true; }
    void RestorePreparationControls() override { events.push_back("restore"); enabled = true; }
    int CalcSliderPosition() override { return sliderPosition; }
    float ScaleWidth() override { return static_cast<float>(width); }
    float ScaleHeight() override { return static_cast<float>(height); }
    void SetProgressMax(float m) override { progressMax = m; }
    float ProgressMax() override { return progressMax; }
    void SetProgressValue(float v) override { progressValues.push_back(v); }
    void ShowProgress(bool v) override { progressVisible = v; }
    PixelView Pixels() override { return {pixels.data(), width, width, height}; }
    void ShowMarker(bool v) override { markerVisible = v; }
    void MoveMarker(float, float, float, float) override {}
    void SetLabelText(const std::string& t) override { labelText = t; }
    float LabelWidth() override { return 40; }
    float LabelHeight() override { return 20; }
    void MoveLabel(float l, float t) override { labelLeft = l; labelTop = t; }
    void ShowLabel(bool v) override { labelVisible = v; if (v) labelShownWith = labelText; }
    void RepaintLabel() override {}
    void SetPrepareCaption(const std::string& c) override { caption = c; }
    void SetElapsedText(const std::string& t) override { elapsed = t; }

    int width, height;
    std::vector<std::uint32_t> pixels;
    int sliderPosition = 2;
    bool enabled = true, progressVisible = true, markerVisible = false, labelVisible = false;
    float progressMax = 100, labelLeft = 0, labelTop = 0;
    std::vector<float> progressValues;
    std::string labelText, labelShownWith, caption, elapsed;
    std::vector<std::string> events;
};

}  // namespace tovik::test
