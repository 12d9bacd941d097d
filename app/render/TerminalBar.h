#pragma once

#include <chrono>
#include <string>

namespace tovik {

// A progress bar on standard error, "[####    ] done/total unit", redrawn at
// most ten times a second and ended with a line feed when done reaches
// total.
class TerminalBar {
public:
    explicit TerminalBar(std::string unit) : unit_(std::move(unit)) {}
    void Show(long done, long total);

private:
    std::string unit_;
    std::chrono::steady_clock::time_point last_{};
};

}  // namespace tovik
