#pragma once

#include <cstdint>

#include "model/Platform.h"
#include "model/PreparationHost.h"
#include "model/SimState.h"

namespace tovik {

// Turns the picture shown in the drawing area into the charge model: samples
// every pixel, finds the charged rectangle, widens it to whole cells, and
// gives every cell the sum of its pixels' charge.
class Preparation {
public:
    Preparation(SimState& state, PreparationHost& host, SettingsWriter& settings, Clock& clock,
                EventLoop& loop);

    // The click on "Подготовка".
    void Run();

    // Cell side for a position of the cell-size slider: 2 to the power (5 - p).
    static std::int32_t CalcSpeedForPosition(int position);

private:
    void Sample();
    // Returns false when the picture has no charged pixel.
    bool FindChargedArea();
    void AlignArea();
    void AnimateMarker();
    void Accumulate();
    void ShowMean();

    SimState& s_;
    PreparationHost& host_;
    SettingsWriter& settings_;
    Clock& clock_;
    EventLoop& loop_;
};

}  // namespace tovik
