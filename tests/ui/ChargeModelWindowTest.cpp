#include <gtest/gtest.h>

#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <memory>

#include "gui/TestWindow.h"
#include "ui/PictureArea.h"
#include "ui/WindowHost.h"

namespace tovik {
namespace {

QImage BlackPicture() {
    QImage img(781, 469, QImage::Format_RGB32);
    img.fill(Qt::black);
    return img;
}

void FillRect(QImage& img, QRect r, QRgb c) {
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) img.setPixel(x, y, c);
}

void Click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton); }

QPoint OnPicture(double x, double y) {
    return QPoint(static_cast<int>(x) + PictureArea::Border, static_cast<int>(y) + PictureArea::Border);
}

TEST(ChargeModelWindow, PreparationOfTheBlueBlockAndTheAverageTool) {
    test::TestWindow t;
    MainWindow& w = *t.window;
    w.show();
    QImage pic = BlackPicture();
    FillRect(pic, QRect(100, 50, 3, 3), qRgb(0, 0, 255));
    w.pctMain->setPicture(pic);
    MainWindow::SetSliderPosition(w.sldrCalc, 5);  // cells of one pixel

    Click(w.Command3);
    ASSERT_TRUE(t.errors.isEmpty()) << t.errors.join("\n").toStdString();
    EXPECT_EQ(t.state.CalcSpeed, 1);
    EXPECT_EQ(t.state.AreaRight, 103);
    EXPECT_EQ(w.Command3->text(), QStringLiteral("Переподготовка"));
    EXPECT_TRUE(w.Command2->isEnabled());
    EXPECT_FALSE(w.prBar->isVisible());
    EXPECT_EQ(w.prBar->value(), w.prBar->maximum());
    EXPECT_EQ(w.prBar->maximum(), 780);
    EXPECT_FALSE(w.pctMain->label5()->isVisible());
    EXPECT_FALSE(w.pctMain->optCalc()->isVisible());
    bool seconds = false;
    w.Er->text().toDouble(&seconds);
    EXPECT_TRUE(seconds) << w.Er->text().toStdString();
    std::string stored;
    EXPECT_TRUE(t.store->GetKeyValue(KeyRoot::CurrentUser, SettingsStore::KeyPath, "CalcSpeed", stored));
    EXPECT_EQ(stored, "1");

    w.mnCharge->trigger();
    EXPECT_EQ(w.pctMain->label5()->text(), "562.5");
    EXPECT_TRUE(w.pctMain->label5()->isVisible());
    EXPECT_EQ(w.pctMain->optCalc()->geometry(), QRect(100 + 2, 50 + 2, 3, 3));
    // Clearing leaves the frame and the mean in place.
    w.Command4->click();
    EXPECT_TRUE(w.pctMain->label5()->isVisible());
    EXPECT_TRUE(w.pctMain->optCalc()->isVisible());
}

TEST(ChargeModelWindow, AverageBeforeAnyPreparation) {
    test::TestWindow t;
    MainWindow& w = *t.window;
    w.mnCharge->trigger();
    EXPECT_EQ(w.pctMain->label5()->text(), "0");
    const QLabel* l = w.pctMain->label5();
    // Centred on the corner (0, 0).
    EXPECT_EQ(l->x() - PictureArea::Border, static_cast<int>(std::nearbyint(-l->width() / 2.0f)));
}

TEST(ChargeModelWindow, SliderSetsTheCellSizeOnly) {
    test::TestWindow t;
    MainWindow& w = *t.window;
    w.show();
    w.sldrCalc->setFocus();
    QTest::keyClick(w.sldrCalc, Qt::Key_Right);  // position 2 -> 3
    EXPECT_EQ(t.state.CalcSpeed, 4);
    std::string stored;
    t.store->GetKeyValue(KeyRoot::CurrentUser, SettingsStore::KeyPath, "CalcSpeed", stored);
    EXPECT_NE(stored, "4");
}

TEST(ChargeModelWindow, ClickTracesAWhiteLineAndTheProbeReadsTheField) {
    test::TestWindow t;
    MainWindow& w = *t.window;
    w.show();
    QImage pic = BlackPicture();
    FillRect(pic, QRect(230, 224, 21, 21), qRgb(0, 0, 255));
    FillRect(pic, QRect(530, 224, 21, 21), qRgb(255, 0, 0));
    w.pctMain->setPicture(pic);
    Click(w.Command3);
    ASSERT_TRUE(t.errors.isEmpty());

    QTest::mouseClick(w.pctMain, Qt::LeftButton, Qt::NoModifier, OnPicture(390, 150));
    ASSERT_TRUE(t.errors.isEmpty()) << t.errors.join("\n").toStdString();
    int white = 0;
    for (int y = 0; y < 469; ++y)
        for (int x = 0; x < 781; ++x) white += w.pctMain->pixel(x, y) == 0xFFFFFF;
    EXPECT_GT(white, 100);
    EXPECT_EQ(w.pctMain->pixel(390, 150), 0xFFFFFF);
    EXPECT_EQ(t.state.DrawSpeed, 11 - w.sldrDraw->value());

    QTest::mouseMove(w.pctMain, OnPicture(390, 234));
    QCoreApplication::processEvents();
    bool ok = false;
    EXPECT_GT(w.Ex->text().toDouble(&ok), 0.0);  // from blue towards red
    EXPECT_TRUE(ok);
    w.Ey->text().toDouble(&ok);
    EXPECT_TRUE(ok);

    // Clearing removes the line and shows the picture again.
    w.mnClear->trigger();
    EXPECT_EQ(w.pctMain->image(), w.pctMain->picture());
}

TEST(ChargeModelWindow, RightButtonDrawsNothingAndKeepsTheStep) {
    test::TestWindow t;
    MainWindow& w = *t.window;
    w.show();
    QImage pic = BlackPicture();
    FillRect(pic, QRect(230, 224, 21, 21), qRgb(0, 0, 255));
    w.pctMain->setPicture(pic);
    Click(w.Command3);
    t.state.DrawSpeed = 9;
    const QImage before = w.pctMain->image();
    QTest::mouseClick(w.pctMain, Qt::RightButton, Qt::NoModifier, OnPicture(390, 150));
    EXPECT_EQ(w.pctMain->image(), before);
    EXPECT_EQ(t.state.DrawSpeed, 9);
    w.Menu->hide();
}

TEST(ChargeModelWindow, AutomaticTracingCoversThePictureAndBeeps) {
    test::TestWindow t;
    MainWindow& w = *t.window;
    w.show();
    int beeps = 0;
    w.host().setBeep([&] { ++beeps; });
    QImage pic = BlackPicture();
    FillRect(pic, QRect(230, 224, 21, 21), qRgb(0, 0, 255));
    FillRect(pic, QRect(530, 224, 21, 21), qRgb(255, 0, 0));
    w.pctMain->setPicture(pic);
    t.state.PartDimmension = 100;
    t.state.TimeLimit = 1;
    Click(w.Command3);
    ASSERT_TRUE(w.Command2->isEnabled());
    Click(w.Command2);
    EXPECT_EQ(beeps, 1);
    EXPECT_NE(w.pctMain->image(), w.pctMain->picture());
    EXPECT_TRUE(t.errors.isEmpty());
}

QImage DipolePicture() {
    QImage pic = BlackPicture();
    FillRect(pic, QRect(230, 224, 21, 21), qRgb(0, 0, 255));
    FillRect(pic, QRect(530, 224, 21, 21), qRgb(255, 0, 0));
    return pic;
}

TEST(ChargeModelWindow, ClosingTheWindowDuringATraceEndsItCleanly) {
    auto t = std::make_unique<test::TestWindow>();
    MainWindow& w = *t->window;
    w.show();
    w.pctMain->setPicture(DipolePicture());
    Click(w.Command3);
    t->state.TimeLimit = 30;  // long enough that only the close can end it
    MainWindow::SetSliderPosition(w.sldrDraw, 10);
    QTimer::singleShot(0, &w, [&w] { w.close(); });
    QTest::mouseClick(w.pctMain, Qt::LeftButton, Qt::NoModifier, OnPicture(390, 150));
    EXPECT_TRUE(w.isClosing());
    t.reset();  // the window is destroyed after the trace has let go of it
}

TEST(ChargeModelWindow, PreparationDuringATraceIsUsedByTheRestOfIt) {
    test::TestWindow t;
    MainWindow& w = *t.window;
    w.show();
    w.pctMain->setPicture(DipolePicture());
    Click(w.Command3);
    MainWindow::SetSliderPosition(w.sldrCalc, 4);
    int preparations = 0;
    // While the first line yields, the picture is cleared and prepared again
    // with another cell size.
    QTimer::singleShot(0, &w, [&] {
        w.pctMain->setPicture(BlackPicture());
        Click(w.Command3);
        ++preparations;
    });
    QTest::mouseClick(w.pctMain, Qt::LeftButton, Qt::NoModifier, OnPicture(390, 150));
    EXPECT_EQ(preparations, 1);
    EXPECT_EQ(t.state.CalcSpeed, 2);
    EXPECT_EQ(t.state.AreaRight, 0);  // the new picture has no charge
    EXPECT_TRUE(t.errors.isEmpty()) << t.errors.join("\n").toStdString();
}

}  // namespace
}  // namespace tovik
