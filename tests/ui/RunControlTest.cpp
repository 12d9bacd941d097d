#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QKeyEvent>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <thread>

#include "gui/TestWindow.h"
#include "ui/StartUp.h"

namespace tovik {
namespace {

using test::Dipole;

// A shown, prepared main window over a picture.
struct Prepared : test::TestWindow {
    explicit Prepared(const QImage& picture = Dipole(), int cellSlider = 2) : TestWindow(picture) {
        SetSliderQuietly(c->sldrCalc, cellSlider);
        QTest::mouseClick(c->Command3, Qt::LeftButton);
        EXPECT_TRUE(errors.isEmpty());
        QObject::connect(c->prBar, &QProgressBar::valueChanged, [this](int v) { values.push_back(v); });
    }
    std::vector<int> values;
};

// Receives an event posted from another thread and notes when it came.
struct Receiver : QObject {
    bool event(QEvent* e) override {
        if (e->type() != QEvent::User) return QObject::event(e);
        handled.start();
        return true;
    }
    QElapsedTimer handled;
};

TEST(RunControl, AnEventPostedDuringALongTraceIsHandledAtOnce) {
    // A net charge, whose lines run off the picture for a long way.
    Prepared t(test::Picture({{{330, 174, 121, 121}, qRgb(0, 0, 255)}}), 5);
    t.state.TimeLimit = 30;
    SetSliderQuietly(t.c->sldrDraw, 10);
    Receiver receiver;
    QElapsedTimer posted;
    std::atomic<bool> sent{false};
    std::thread poster([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        posted.start();
        QCoreApplication::postEvent(&receiver, new QEvent(QEvent::User));
        sent = true;
    });
    // Escape ends the trace once the event has been seen.
    QTimer stopper;
    QObject::connect(&stopper, &QTimer::timeout, [&] {
        if (receiver.handled.isValid()) QTest::keyClick(t.window.get(), Qt::Key_Escape);
    });
    stopper.start(1);
    QElapsedTimer trace;
    trace.start();
    QTest::mouseClick(t.c->pctMain, Qt::LeftButton, Qt::NoModifier, QPoint(100 + 2, 150 + 2));
    const qint64 traced = trace.elapsed();
    poster.join();
    ASSERT_TRUE(sent);
    ASSERT_TRUE(receiver.handled.isValid());
    // Handled while the trace ran, not after it: a loaded test machine may
    // delay it by a scheduler slice, not by the rest of the trace.
    EXPECT_LT(posted.msecsTo(receiver.handled), 250);
    EXPECT_LT(traced, 10000);
    EXPECT_EQ(t.state.DrawSpeed, 1);
}

TEST(RunControl, EscapeStopsARunPartWay) {
    Prepared t;
    // Escape reaches the window once the first square is done.
    bool pressed = false;
    QObject::connect(t.c->prBar, &QProgressBar::valueChanged, t.window.get(), [&](int done) {
        if (done != 1 || std::exchange(pressed, true)) return;
        QCoreApplication::postEvent(t.window.get(), new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    });
    QTest::mouseClick(t.c->Command2, Qt::LeftButton);
    ASSERT_FALSE(t.values.empty());
    const int total = t.c->prBar->maximum();
    EXPECT_EQ(total, 31 * 18);
    EXPECT_GT(t.values.back(), 0);
    EXPECT_LT(t.values.back(), total);
    EXPECT_EQ(t.beeps, 0);
    EXPECT_NE(t.window->Drawing(), t.c->pctMain->picture());  // the lines so far stay
    EXPECT_EQ(t.state.DrawSpeed, 11 - t.c->sldrDraw->value());
    EXPECT_FALSE(t.c->prBar->isVisible());
    // The next run is not stopped by the old Escape.
    t.state.PartDimmension = 400;
    QTest::mouseClick(t.c->Command2, Qt::LeftButton);
    EXPECT_EQ(t.beeps, 1);
}

// "Пуск" counts its squares in the progress bar and hides it afterwards; a run
// started during a run shows its own squares, then gives the bar back.
TEST(RunControl, ProgressBarCountsTheSquaresAndANestedRunGivesItBack) {
    Prepared t;
    t.state.PartDimmension = 180;  // 4 x 2 squares
    bool nested = false;
    int outerMaximum = 0;
    QTimer::singleShot(0, t.window.get(), [&] {
        outerMaximum = t.c->prBar->maximum();
        t.state.PartDimmension = 400;  // 1 square
        QTest::mouseClick(t.c->Command2, Qt::LeftButton);
        nested = true;
        EXPECT_EQ(t.c->prBar->maximum(), outerMaximum);
        EXPECT_TRUE(t.c->prBar->isVisible());
        t.state.PartDimmension = 180;
    });
    t.values.clear();
    QTest::mouseClick(t.c->Command2, Qt::LeftButton);
    EXPECT_TRUE(nested);
    EXPECT_EQ(outerMaximum, 8);
    ASSERT_GE(t.values.size(), 8u);
    EXPECT_EQ(std::vector<int>(t.values.end() - 8, t.values.end()), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(t.c->prBar->maximum(), 8);
    EXPECT_EQ(t.beeps, 2);
    EXPECT_FALSE(t.c->prBar->isVisible());
}

}  // namespace
}  // namespace tovik
