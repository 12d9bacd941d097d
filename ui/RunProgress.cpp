#include "ui/RunProgress.h"

#include <QProgressBar>
#include <algorithm>
#include <climits>

namespace tovik {

namespace {

// The bar is painted at most this often: QProgressBar repaints itself at once
// on every visible change, which would cost more than a square's lines.
constexpr qint64 PaintIntervalMs = 16;

int Clamped(long v) { return static_cast<int>(std::clamp<long>(v, 0, INT_MAX)); }

}  // namespace

RunProgress::RunProgress(QProgressBar& bar, bool nested)
    : bar_(bar),
      nested_(nested),
      wasVisible_(bar.isVisible()),
      oldMaximum_(bar.maximum()),
      oldValue_(bar.value()) {
    sincePaint_.start();
}

RunProgress::~RunProgress() {
    bar_.setUpdatesEnabled(true);
    if (nested_) {
        bar_.setMaximum(oldMaximum_);
        bar_.setValue(oldValue_);
        bar_.setVisible(wasVisible_);
    } else {
        bar_.hide();
    }
}

void RunProgress::SquaresDone(long done, long total) {
    const bool paint = done == 0 || done == total || sincePaint_.elapsed() >= PaintIntervalMs;
    bar_.setUpdatesEnabled(false);
    if (bar_.maximum() != Clamped(total)) bar_.setRange(0, Clamped(total));
    bar_.setValue(Clamped(done));
    if (!bar_.isVisible()) bar_.show();
    if (paint) {
        // Enabling updates schedules one repaint with the next pass of the
        // event loop.
        bar_.setUpdatesEnabled(true);
        sincePaint_.restart();
    }
}

}  // namespace tovik
