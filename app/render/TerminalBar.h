#pragma once

#include <chrono>

namespace tovik {

// A progress bar on standard error, "[####    ] done/total unit", redrawn at
// most ten times a second and ended with a line feed when done reaches
// total.
class TerminalBar {
public:
    explicit TerminalBar(const char* unit) : unit_(unit) {}
    void Show(long done, long total);

private:
    const char* unit_;
    std::chrono::steady_clock::time_point last_{};
};

}  // namespace tovik
