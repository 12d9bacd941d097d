#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "model/Ports.h"
#include "model/Preparation.h"

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

// A drawing area of w x h pixels held as RGB32 words, with what Preparation
// reports about it.
struct FakePicture : PreparationProgress {
    FakePicture(int w, int h) : width(w), height(h), pixels(static_cast<std::size_t>(w) * h, 0xFF000000u) {}

    void SetPixel(int x, int y, std::uint32_t rgb) { pixels[static_cast<std::size_t>(y) * width + x] = 0xFF000000u | rgb; }
    PreparationInput Input(std::int32_t cellSize) const {
        return {{pixels.data(), width, width, height}, static_cast<float>(width), static_cast<float>(height), cellSize};
    }

    void ColumnSampled(int x) override { columns.push_back(x); }
    void MarkerShown() override { ++markerShown; }
    void MarkerMoved(float l, float t, float w, float h) override { marker.push_back({l, t, w, h}); }

    int width, height;
    std::vector<std::uint32_t> pixels;
    std::vector<int> columns;
    int markerShown = 0;
    std::vector<std::array<float, 4>> marker;
};

}  // namespace tovik::test
