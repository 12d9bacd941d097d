#pragma once

#include <QElapsedTimer>

#include "drawing/TracingDriver.h"

class QProgressBar;

namespace tovik {

// The progress bar while "Пуск" runs: the squares done out of the run's
// squares. A run started while another runs shows its own progress and gives
// the bar back as it found it; the outermost run hides the bar when it ends.
class RunProgress : public AutoTraceProgress {
public:
    RunProgress(QProgressBar& bar, bool nested);
    ~RunProgress() override;

    void SquaresDone(long done, long total) override;

private:
    QProgressBar& bar_;
    bool nested_;
    bool wasVisible_;
    int oldMaximum_;
    int oldValue_;
    QElapsedTimer sincePaint_;
};

}  // namespace tovik
