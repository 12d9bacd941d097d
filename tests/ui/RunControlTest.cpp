#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QTimer>
#include <atomic>
#include <thread>

#include "gui/TestWindow.h"
#include "drawing/TracingDriver.h"
#include "ui/RunProgress.h"
#include "ui/StartUp.h"
#include "ui/WindowNotice.h"

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

// Receives an event posted from another thread; its handling ends the trace.
struct Receiver : QObject {
    explicit Receiver(QWidget* window) : window(window) {}
    bool event(QEvent* e) override {
        if (e->type() != QEvent::User) return QObject::event(e);
        handled = true;
        QCoreApplication::postEvent(window, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
        return true;
    }
    QWidget* window;
    bool handled = false;
};

// An event that another thread posts while a trace runs is handled while it
// runs: the trace has no limit of its own here, so only that event ends it.
TEST(RunControl, AnEventPostedDuringALongTraceIsHandledWhileItRuns) {
    // A net charge, whose lines run off the picture for a long way.
    Prepared t(test::Picture({{{330, 174, 121, 121}, qRgb(0, 0, 255)}}), 5);
    t.state.TimeLimit = 1e9f;
    SetSliderQuietly(t.c->sldrDraw, 10);
    Receiver receiver(t.window.get());
    std::atomic<bool> tracing{false};
    QTimer::singleShot(0, t.window.get(), [&] { tracing = true; });
    std::thread poster([&] {
        while (!tracing) std::this_thread::yield();
        QCoreApplication::postEvent(&receiver, new QEvent(QEvent::User));
    });
    QTest::mouseClick(t.c->pctMain, Qt::LeftButton, Qt::NoModifier, QPoint(100 + 2, 150 + 2));
    poster.join();
    EXPECT_TRUE(receiver.handled);
    EXPECT_EQ(t.state.DrawSpeed, 1);
}

TEST(RunControl, EscapeStopsARunPartWay) {
    Prepared t;
    // Escape reaches the window once the first square is done: the second
    // square draws the third number.
    t.random->onDraw = [&](long draws) {
        if (draws == 3)
            QCoreApplication::postEvent(t.window.get(), new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    };
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
    const QLabel* notice = test::Controls::Find<QLabel>(*t.window, "lblNotice");
    EXPECT_TRUE(notice->isVisible());
    EXPECT_TRUE(notice->text().startsWith(QStringLiteral("«Пуск» остановлен: %1 из 558 квадратов за ")
                                              .arg(t.values.back())))
        << notice->text().toStdString();
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
        EXPECT_TRUE(t.c->prBar->text().contains(QStringLiteral("Esc останавливает")));
        {
            const test::InLanguage english(Language::English);  // the bar's text follows
            EXPECT_TRUE(t.c->prBar->text().contains("Esc stops"));
        }
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
    ASSERT_FALSE(t.values.empty());
    EXPECT_EQ(t.values.back(), 8);
    EXPECT_EQ(t.c->prBar->maximum(), 8);
    EXPECT_EQ(t.beeps, 2);
    EXPECT_FALSE(t.c->prBar->isVisible());
    const QLabel* notice = test::Controls::Find<QLabel>(*t.window, "lblNotice");
    EXPECT_TRUE(notice->text().startsWith(QStringLiteral("«Пуск» закончен: 8 из 8 квадратов за ")));
    {
        const test::InLanguage english(Language::English);  // and so does the notice
        EXPECT_TRUE(notice->text().startsWith("“Start” finished: 8 of 8 squares in "));
    }
    QTest::mouseClick(t.c->Command4, Qt::LeftButton);  // the next command
    EXPECT_FALSE(notice->isVisible());
}

// Squares that come quickly are shown together, soon; a square that takes
// long after them never leaves the bar unpainted meanwhile.
TEST(RunControl, TheBarIsPaintedWhileASquareTakesLong) {
    QWidget window;
    QProgressBar bar(&window);
    WindowNotice notice(&window);
    window.show();
    {
        RunProgress progress(bar, notice, false);
        progress.SquaresDone(0, 21);
        progress.SquaresDone(1, 21);
        QTest::qWait(250);
        EXPECT_TRUE(bar.isVisible() && bar.updatesEnabled());
        EXPECT_EQ(bar.value(), 1);
    }
    EXPECT_FALSE(bar.isVisible());
    EXPECT_TRUE(notice.text().startsWith(QStringLiteral("«Пуск» остановлен: 1 из 21 квадрата за ")));
}

// "Пуск" on 2 and 4 threads draws the pixels of one thread.
TEST(RunControl, EveryNumberOfThreadsDrawsThePixelsOfOne) {
    const struct { const char* name; QImage picture; int cellSlider; } cases[] = {
        {"dipole", Dipole(), 2}, {"disc", test::Disc(), 2}, {"ring at 2-px cells", test::Ring(50, 60), 4}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QImage one;
        for (const int threads : {1, 2, 4}) {
            Prepared t(c.picture, c.cellSlider);
            t.window->tracing().SetThreads(threads);
            t.window->tracing().SetStepLimit(200);
            QTest::mouseClick(t.c->Command2, Qt::LeftButton);
            EXPECT_EQ(t.beeps, 1);
            if (threads == 1) one = t.window->Drawing();
            EXPECT_TRUE(t.window->Drawing() == one) << threads << " threads";
        }
        EXPECT_NE(one, c.picture);
    }
}

}  // namespace
}  // namespace tovik
