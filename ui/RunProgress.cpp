#include "ui/RunProgress.h"

#include <QCoreApplication>
#include <QEvent>
#include <QProgressBar>
#include <algorithm>
#include <climits>

#include "ui/WindowNotice.h"

namespace tovik {

namespace {

// The bar's value changes at most this often: a paint of the bar with its
// text costs about a millisecond, more than many squares' lines.
constexpr int PaintIntervalMs = 100;

int Clamped(long v) { return static_cast<int>(std::clamp<long>(v, 0, INT_MAX)); }

// "из 21 квадрата", "из 25 квадратов": the Russian forms after "из"; the
// English translation gives each its own numerus forms.
QString OfSquares(long total) {
    const bool one = total % 10 == 1 && total % 100 != 11;
    const int n = Clamped(total);
    return one ? QCoreApplication::translate("tovik::RunProgress", "из %n квадрата", nullptr, n)
               : QCoreApplication::translate("tovik::RunProgress", "из %n квадратов", nullptr, n);
}

}  // namespace

QString RunSummary(long done, long total, double seconds) {
    const QString time = QString::number(seconds, 'f', seconds < 10 ? 2 : 1);
    return (done >= total ? QCoreApplication::translate("tovik::RunProgress", "«Пуск» закончен: %1 %2 за %3 с.")
                          : QCoreApplication::translate("tovik::RunProgress", "«Пуск» остановлен: %1 %2 за %3 с."))
        .arg(done)
        .arg(OfSquares(total), time);
}

RunProgress::RunProgress(QProgressBar& bar, WindowNotice& notice, bool nested)
    : bar_(bar),
      notice_(notice),
      nested_(nested),
      wasVisible_(bar.isVisible()),
      wasTextVisible_(bar.isTextVisible()),
      oldMaximum_(bar.maximum()),
      oldValue_(bar.value()),
      oldFormat_(bar.format()),
      oldToolTip_(bar.toolTip()) {
    sinceStart_.start();
    sincePaint_.start();
    paintLater_.setSingleShot(true);
    QObject::connect(&paintLater_, &QTimer::timeout, [this] { Show(); });
    SetTexts();
    bar_.setTextVisible(true);
    bar_.installEventFilter(this);
}

void RunProgress::SetTexts() {
    bar_.setFormat(QCoreApplication::translate("tovik::RunProgress", "%v из %m — Esc останавливает «Пуск»"));
    bar_.setToolTip(QCoreApplication::translate("tovik::RunProgress",
                                                "Клавиша Esc останавливает «Пуск»; нарисованные линии остаются."));
}

bool RunProgress::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &bar_ && event->type() == QEvent::LanguageChange) SetTexts();
    return false;
}

RunProgress::~RunProgress() {
    bar_.removeEventFilter(this);
    paintLater_.stop();
    bar_.setFormat(oldFormat_);
    bar_.setToolTip(oldToolTip_);
    bar_.setTextVisible(wasTextVisible_);
    if (nested_) {
        bar_.setMaximum(oldMaximum_);
        bar_.setValue(oldValue_);
        bar_.setVisible(wasVisible_);
    } else {
        Show();
        bar_.hide();
        notice_.Say([done = done_, total = total_, seconds = static_cast<double>(sinceStart_.elapsed()) / 1000.0] {
            return RunSummary(done, total, seconds);
        });
    }
}

void RunProgress::SquaresDone(long done, long total) {
    done_ = done;
    total_ = total;
    if (!bar_.isVisible()) bar_.show();
    const qint64 sincePaint = sincePaint_.elapsed();
    if (done == 0 || done == total || sincePaint >= PaintIntervalMs) {
        Show();
    } else if (!paintLater_.isActive()) {
        // Squares that come quickly are shown together, at most one paint
        // interval later; the bar itself is never left unpainted.
        paintLater_.start(static_cast<int>(PaintIntervalMs - sincePaint));
    }
}

void RunProgress::Show() {
    paintLater_.stop();
    // QProgressBar repaints itself at once when its text changes; with its
    // updates off for the change, it is painted with the next pass of the
    // event loop instead, together with the lines drawn meanwhile.
    bar_.setUpdatesEnabled(false);
    if (bar_.maximum() != Clamped(total_)) bar_.setRange(0, Clamped(total_));
    bar_.setValue(Clamped(done_));
    bar_.setUpdatesEnabled(true);
    sincePaint_.restart();
}

}  // namespace tovik
