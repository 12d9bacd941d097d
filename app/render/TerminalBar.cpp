#include "app/render/TerminalBar.h"

#include <cstdio>
#include <string>

namespace tovik {

void TerminalBar::Show(long done, long total) {
    const auto now = std::chrono::steady_clock::now();
    if (done != total && now - last_ < std::chrono::milliseconds(100)) return;
    last_ = now;
    constexpr int Width = 40;
    const int filled = total > 0 ? static_cast<int>(Width * static_cast<double>(done) / total) : Width;
    std::fprintf(stderr, "\r[%s%s] %ld/%ld %s", std::string(filled, '#').c_str(),
                 std::string(Width - filled, ' ').c_str(), done, total, unit_.c_str());
    if (done == total) std::fputc('\n', stderr);
    std::fflush(stderr);
}

}  // namespace tovik
