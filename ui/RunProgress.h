#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include "drawing/TracingDriver.h"

class QProgressBar;

namespace tovik {

class WindowNotice;

// The progress bar while "Пуск" runs: the squares done out of the run's
// squares, with the way to stop (Escape) in its text. A run started while
// another runs shows its own progress and gives the bar back as it found it;
// the outermost run hides the bar when it ends and says in the notice line
// how many squares were done and how long it took.
class RunProgress : public QObject, public AutoTraceProgress {
public:
    RunProgress(QProgressBar& bar, WindowNotice& notice, bool nested);
    ~RunProgress() override;

    void SquaresDone(long done, long total) override;

protected:
    // The bar's texts follow a change of language.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SetTexts();
    // Puts the squares done into the bar.
    void Show();

    QProgressBar& bar_;
    WindowNotice& notice_;
    bool nested_;
    bool wasVisible_;
    bool wasTextVisible_;
    int oldMaximum_;
    int oldValue_;
    QString oldFormat_;
    QString oldToolTip_;
    long done_ = 0;
    long total_ = 0;
    QElapsedTimer sinceStart_;
    QElapsedTimer sincePaint_;
    // Shows the squares done once a paint interval has passed since the
    // bar last changed, when squares come faster than that.
    QTimer paintLater_;
};

// The notice at the end of a run: whether it ended or was stopped, the
// squares done out of the run's squares and the seconds it took.
QString RunSummary(long done, long total, double seconds);

}  // namespace tovik
