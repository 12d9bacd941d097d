#include <gtest/gtest.h>

#include <QEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>

#include "gui/TestWindow.h"
#include "ui/PictureArea.h"

namespace tovik {
namespace {

// Counts the paint events a widget receives.
struct PaintCounter : QObject {
    bool eventFilter(QObject*, QEvent* e) override {
        paints += e->type() == QEvent::Paint;
        return false;
    }
    int paints = 0;
};

// Preparation moves the progress bar every fifth column without yielding in
// between; the bar takes every value, but is painted with the window rather
// than once per value.
TEST(PreparationView, ProgressBarTakesEveryValueWithoutARepaintEach) {
    test::TestWindow t;
    MainWindow& w = *t.window;
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    QImage pic(781, 469, QImage::Format_RGB32);
    pic.fill(Qt::black);
    pic.setPixel(300, 200, qRgb(0, 0, 255));
    w.pctMain->setPicture(pic);
    w.prBar->show();
    QCoreApplication::processEvents();

    PaintCounter counter;
    w.prBar->installEventFilter(&counter);
    // The counter sees the bar's own immediate repaints.
    for (int v = 1; v <= 20; ++v) w.prBar->setValue(v * 5);
    ASSERT_GE(counter.paints, 10);
    w.prBar->setValue(0);
    w.prBar->hide();
    QCoreApplication::processEvents();

    counter.paints = 0;
    QSignalSpy values(w.prBar, &QProgressBar::valueChanged);
    w.Command3->click();
    ASSERT_TRUE(t.errors.isEmpty()) << t.errors.join("\n").toStdString();
    EXPECT_LE(counter.paints, 2);  // shown at the yield, nothing more

    ASSERT_EQ(values.count(), 156);
    for (int k = 0; k < values.count(); ++k) EXPECT_EQ(values.at(k).at(0).toInt(), 5 * (k + 1)) << k;
    EXPECT_EQ(w.prBar->value(), 780);
    EXPECT_FALSE(w.prBar->isVisible());

    // Shown again, the bar paints itself as before.
    EXPECT_TRUE(w.prBar->updatesEnabled());
    counter.paints = 0;
    w.prBar->show();
    QTest::qWait(20);
    EXPECT_GE(counter.paints, 1);
}

}  // namespace
}  // namespace tovik
