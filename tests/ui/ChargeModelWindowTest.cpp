#include <gtest/gtest.h>

#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <array>
#include <memory>

#include "model/NumberText.h"
#include "model/Preparation.h"

#include "gui/TestWindow.h"
#include "ui/PictureArea.h"
#include "ui/StartUp.h"

namespace tovik {
namespace {

using test::Picture;
using test::Dipole;

// A shown main window with the picture loaded.
struct Shown : test::TestWindow {
    explicit Shown(const QImage& picture) {
        window->show();
        window->ShowPicture(picture);
    }
    test::Controls& w = *c;
};

void Click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton); }
void ClickPicture(const test::Controls& w, int x, int y) {
    QTest::mouseClick(w.pctMain, Qt::LeftButton, Qt::NoModifier, QPoint(x, y) + QPoint(2, 2));
}

TEST(ChargeModelWindow, PreparationOfTheBlueBlockAndTheAverageTool) {
    Shown t(Picture({{{100, 50, 3, 3}, qRgb(0, 0, 255)}}));
    test::Controls& w = t.w;
    SetSliderQuietly(w.sldrCalc, 5);  // cells of one pixel

    Click(w.Command3);
    ASSERT_TRUE(t.errors.isEmpty()) << t.errors.join("\n").toStdString();
    EXPECT_EQ(t.state.CalcSpeed, 1);
    EXPECT_EQ(w.Command3->text(), QStringLiteral("Переподготовка"));
    EXPECT_TRUE(w.Command2->isEnabled());
    EXPECT_FALSE(w.prBar->isVisible());
    EXPECT_EQ(w.prBar->value(), 780);
    EXPECT_EQ(w.prBar->maximum(), 780);
    EXPECT_TRUE(w.prBar->updatesEnabled());  // moved without a repaint each time, but painted again when shown
    EXPECT_FALSE(w.pctMain->label5()->isVisible());
    EXPECT_FALSE(w.pctMain->optCalc()->isVisible());
    bool seconds = false;
    w.Er->text().toDouble(&seconds);
    EXPECT_TRUE(seconds) << w.Er->text().toStdString();
    EXPECT_EQ(test::Stored(*t.store, "CalcSpeed"), "1");

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
    t.c->mnCharge->trigger();
    const QLabel* l = t.c->pctMain->label5();
    EXPECT_EQ(l->text(), "0");
    // Centred on the corner (0, 0).
    EXPECT_EQ(l->x() - PictureArea::Border, static_cast<int>(std::nearbyint(-l->width() / 2.0f)));
}

TEST(ChargeModelWindow, SliderSetsTheCellSizeOnly) {
    test::TestWindow t;
    t.window->show();
    t.c->sldrCalc->setFocus();
    QTest::keyClick(t.c->sldrCalc, Qt::Key_Right);  // position 2 -> 3
    EXPECT_EQ(t.state.CalcSpeed, 4);
    EXPECT_EQ(test::Stored(*t.store, "CalcSpeed"), "8");
}

TEST(ChargeModelWindow, ClickTracesAWhiteLineAndTheProbeReadsTheField) {
    Shown t(Dipole());
    test::Controls& w = t.w;
    Click(w.Command3);
    ClickPicture(w, 390, 150);
    ASSERT_TRUE(t.errors.isEmpty()) << t.errors.join("\n").toStdString();
    int white = 0;
    for (int y = 0; y < 469; ++y)
        for (int x = 0; x < 781; ++x) white += w.pctMain->pixel(x, y) == 0xFFFFFF;
    EXPECT_GT(white, 100);
    EXPECT_EQ(w.pctMain->pixel(390, 150), 0xFFFFFF);
    EXPECT_EQ(t.state.DrawSpeed, 11 - w.sldrDraw->value());

    QTest::mouseMove(w.pctMain, QPoint(390 + 2, 234 + 2));
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

TEST(ChargeModelWindow, AutomaticTracingCoversThePictureAndBeeps) {
    Shown t(Dipole());
    t.state.PartDimmension = 100;
    t.state.TimeLimit = 1;
    Click(t.w.Command3);
    ASSERT_TRUE(t.w.Command2->isEnabled());
    Click(t.w.Command2);
    EXPECT_EQ(t.beeps, 1);
    EXPECT_NE(t.w.pctMain->image(), t.w.pctMain->picture());
    EXPECT_TRUE(t.errors.isEmpty());
}

TEST(ChargeModelWindow, ClosingTheWindowDuringATraceEndsItCleanly) {
    auto t = std::make_unique<Shown>(Dipole());
    test::Controls& w = t->w;
    MainWindow& window = *t->window;
    Click(w.Command3);
    t->state.TimeLimit = 30;  // long enough that only the close can end it
    SetSliderQuietly(w.sldrDraw, 10);
    QTimer::singleShot(0, &window, [&window] { window.close(); });
    ClickPicture(w, 390, 150);
    EXPECT_TRUE(window.isClosing());
    t.reset();  // the window is destroyed after the trace has let go of it
}

TEST(ChargeModelWindow, PreparationDuringATraceIsUsedByTheRestOfIt) {
    Shown t(Dipole());
    test::Controls& w = t.w;
    Click(w.Command3);
    SetSliderQuietly(w.sldrCalc, 4);
    int preparations = 0;
    // While the first line yields, the picture is cleared and prepared again
    // with another cell size.
    QTimer::singleShot(0, t.window.get(), [&] {
        t.window->ShowPicture(Picture({}));
        Click(w.Command3);
        ++preparations;
    });
    ClickPicture(w, 390, 150);
    EXPECT_EQ(preparations, 1);
    EXPECT_EQ(t.state.CalcSpeed, 2);
    EXPECT_EQ(t.state.AreaRight, 0);  // the new picture has no charge
    EXPECT_TRUE(t.errors.isEmpty()) << t.errors.join("\n").toStdString();
}

// Between the stored cell size and the sampling, the run yields once: what
// happens then sees the new cell size with the old grids.
TEST(ChargeModelWindow, PreparationStoresTheCellSizeThenYieldsOnce) {
    Shown t(Picture({{{100, 50, 3, 3}, qRgb(0, 0, 255)}}));
    test::Controls& w = t.w;
    SetSliderQuietly(w.sldrCalc, 3);
    int fired = 0;
    QTimer::singleShot(0, t.window.get(), [&] {
        ++fired;
        EXPECT_EQ(test::Stored(*t.store, "CalcSpeed"), "4");
        EXPECT_EQ(t.state.CalcSpeed, 4);
        EXPECT_EQ(t.state.AreaRight, 0);
        EXPECT_FALSE(w.Command3->isEnabled() || w.Command7->isEnabled() || w.sldrCalc->isEnabled());
        EXPECT_TRUE(w.prBar->isVisible());
        EXPECT_EQ(w.prBar->maximum(), 780);
    });
    Click(w.Command3);
    EXPECT_EQ(fired, 1);
    EXPECT_EQ(t.state.AreaRight, 104);
}

TEST(ChargeModelWindow, FailedPreparationGivesItsControlsBack) {
    Shown t(Picture({{{0, 0, 2, 1}, qRgb(0, 0, 255)}}));
    test::Controls& w = t.w;
    t.state.MaxCharge = 3e38f;  // two such pixels in one cell pass the single range
    SetSliderQuietly(w.sldrCalc, 4);
    Click(w.Command3);
    ASSERT_EQ(t.errors.size(), 1);
    EXPECT_TRUE(t.errors[0].contains(QStringLiteral("переполнение")));
    EXPECT_TRUE(w.Command3->isEnabled() && w.Command7->isEnabled() && w.Command8->isEnabled());
    EXPECT_TRUE(w.sldrCalc->isEnabled());
    EXPECT_FALSE(w.Command2->isEnabled());  // as it was: no Preparation has completed
    EXPECT_EQ(w.Command3->text(), QStringLiteral("Подготовка"));
}

TEST(ChargeModelWindow, ClosingTheWindowDuringPreparationsYieldSamplesNothing) {
    auto t = std::make_unique<Shown>(Dipole());
    MainWindow& window = *t->window;
    QTimer::singleShot(0, &window, [&window] { window.close(); });
    Click(t->w.Command3);
    EXPECT_TRUE(window.isClosing());
    EXPECT_EQ(t->state.AreaRight, 0);
    t.reset();
}

// The engine driven without a window computes what the window computes.
TEST(ChargeModelWindow, EngineWithoutAWindowPreparesTheSameModel) {
    Shown t(Dipole());
    SetSliderQuietly(t.w.sldrCalc, 3);
    Click(t.w.Command3);
    ASSERT_TRUE(t.errors.isEmpty());
    auto alone = std::make_unique<SimState>();
    alone->MaxCharge = t.state.MaxCharge;
    const QImage& drawing = t.window->Drawing();
    PreparationInput in{{reinterpret_cast<const std::uint32_t*>(drawing.constBits()),
                         static_cast<int>(drawing.bytesPerLine() / 4), drawing.width(), drawing.height()},
                        781, 469, 4};
    SilentPreparation silent;
    const PreparationResult r = PrepareChargeModel(*alone, in, silent);
    EXPECT_EQ(alone->PixelColor, t.state.PixelColor);
    EXPECT_EQ(alone->ChargeDensity, t.state.ChargeDensity);
    EXPECT_EQ((std::array{alone->AreaLeft, alone->AreaTop, alone->AreaRight, alone->AreaBottom}),
              (std::array{t.state.AreaLeft, t.state.AreaTop, t.state.AreaRight, t.state.AreaBottom}));
    EXPECT_EQ(QString::fromStdString(DoubleToText(r.meanFloor)), "0");
}

}  // namespace
}  // namespace tovik
