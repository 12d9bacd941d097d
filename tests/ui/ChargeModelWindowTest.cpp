#include <QTimer>

#include "gui/TestWindow.h"
#include "ui/ErrorGuard.h"
#include "ui/StartUp.h"

namespace tovik {
namespace {

using test::Dipole;
using test::Picture;

void Click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton); }
void ClickPicture(const test::Controls& w, int x, int y) {
    QTest::mouseClick(w.pctMain, Qt::LeftButton, Qt::NoModifier, QPoint(x, y) + QPoint(2, 2));
}

// Before any Preparation the average tool shows 0 centred on the corner, and
// the slider sets the cell size without storing it. Between the stored cell
// size and the sampling, Preparation yields once with its controls taken:
// what happens then sees the new cell size with the old grids. Afterwards the
// average tool shows the mean over the aligned area.
TEST(ChargeModelWindow, PreparationOfTheBlueBlockAndTheAverageTool) {
    test::TestWindow t(Picture({{{100, 50, 3, 3}, qRgb(0, 0, 255)}}));
    test::Controls& w = *t.c;
    w.mnCharge->trigger();
    const QLabel* mean = w.pctMain->label5();
    EXPECT_EQ(mean->text(), "0");
    EXPECT_EQ(mean->x() - PictureArea::Border, static_cast<int>(std::nearbyint(-mean->width() / 2.0f)));
    w.sldrCalc->setFocus();
    QTest::keyClick(w.sldrCalc, Qt::Key_Right);  // position 2 -> 3
    EXPECT_EQ(t.state.CalcSpeed, 4);
    EXPECT_EQ(test::Stored(*t.store, "CalcSpeed"), "8");

    SetSliderQuietly(w.sldrCalc, 5);  // cells of one pixel
    int yields = 0;
    QTimer::singleShot(0, t.window.get(), [&] {
        ++yields;
        EXPECT_EQ(test::Stored(*t.store, "CalcSpeed"), "1");
        EXPECT_EQ(t.state.CalcSpeed, 1);
        EXPECT_EQ(t.state.Charges().AreaRight, 0);
        EXPECT_FALSE(w.Command3->isEnabled() || w.Command7->isEnabled() || w.sldrCalc->isEnabled());
        EXPECT_TRUE(w.prBar->isVisible());
    });
    Click(w.Command3);
    ASSERT_TRUE(t.errors.isEmpty()) << t.errors.join("\n").toStdString();
    EXPECT_EQ(yields, 1);
    EXPECT_EQ(t.state.Charges().AreaRight, 103);
    EXPECT_EQ(w.Command3->text(), QStringLiteral("Переподготовка"));
    EXPECT_TRUE(w.Command2->isEnabled() && w.Command3->isEnabled() && w.sldrCalc->isEnabled());
    EXPECT_FALSE(w.prBar->isVisible());
    EXPECT_EQ(w.prBar->value(), 780);  // the last column
    EXPECT_EQ(w.prBar->maximum(), 780);
    EXPECT_TRUE(w.prBar->updatesEnabled());  // moved without a repaint each time, but painted again when shown
    EXPECT_FALSE(mean->isVisible() || w.pctMain->optCalc()->isVisible());

    w.mnCharge->trigger();
    EXPECT_EQ(mean->text(), "562.5");
    EXPECT_TRUE(mean->isVisible());
    EXPECT_EQ(w.pctMain->optCalc()->geometry(), QRect(100 + 2, 50 + 2, 3, 3));
    // Clearing leaves the frame and the mean in place.
    w.Command4->click();
    EXPECT_TRUE(mean->isVisible() && w.pctMain->optCalc()->isVisible());
}

// Closed while a line is traced, while "Пуск" runs on its threads, or while
// Preparation yields before its sampling: the command ends, its threads are
// joined, and it lets go of the window.
TEST(ChargeModelWindow, ClosingTheWindowDuringARunEndsItCleanly) {
    for (const char* command : {"trace", "run", "Preparation"}) {
        SCOPED_TRACE(command);
        const bool prepared = command != std::string("Preparation");
        auto t = std::make_unique<test::TestWindow>(Dipole());
        MainWindow& window = *t->window;
        if (prepared) Click(t->c->Command3);
        t->state.TimeLimit = 30;  // long enough that only the close can end the line
        SetSliderQuietly(t->c->sldrDraw, 10);
        QTimer::singleShot(0, &window, [&window] { window.close(); });
        if (command == std::string("trace")) ClickPicture(*t->c, 390, 150);
        else if (command == std::string("run")) Click(t->c->Command2);
        else Click(t->c->Command3);
        EXPECT_TRUE(window.isClosing());
        EXPECT_TRUE(prepared || t->state.Charges().AreaRight == 0);  // Preparation sampled nothing
        t.reset();  // the window is destroyed after the run has let go of it
    }
}

TEST(ChargeModelWindow, PreparationDuringATraceIsUsedByTheRestOfIt) {
    test::TestWindow t(Dipole());
    test::Controls& w = *t.c;
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
    EXPECT_EQ(t.state.Charges().AreaRight, 0);  // the new picture has no charge
    EXPECT_TRUE(t.errors.isEmpty()) << t.errors.join("\n").toStdString();
}

// A picture without charge says so once prepared, until the next command.
TEST(ChargeModelWindow, PreparationOfAPictureWithoutChargeSaysSo) {
    const struct { QImage picture; bool said; } rows[] = {
        {Picture({}), true},
        {Picture({{{10, 10, 50, 50}, qRgb(255, 255, 255)}, {{100, 10, 50, 50}, qRgb(0, 200, 0)}}), true},
        {Picture({{{10, 10, 1, 1}, qRgb(0, 0, 1)}}), false},
    };
    for (const auto& r : rows) {
        test::TestWindow t(r.picture);
        const QLabel* notice = test::Controls::Find<QLabel>(*t.window, "lblNotice");
        Click(t.c->Command3);
        EXPECT_EQ(notice->isVisible(), r.said);
        EXPECT_EQ(notice->text().contains(QStringLiteral("нет заряда")), r.said);
        ClickPicture(*t.c, 300, 300);
        EXPECT_FALSE(notice->isVisible());
    }
}

TEST(ChargeModelWindow, FailedPreparationGivesItsControlsBack) {
    test::TestWindow t(Picture({{{0, 0, 2, 1}, qRgb(0, 0, 255)}}));
    test::Controls& w = *t.c;
    t.state.MaxCharge = 3e38f;  // two such pixels in one cell pass the single range
    SetSliderQuietly(w.sldrCalc, 4);
    Click(w.Command3);
    ASSERT_EQ(t.errors.size(), 1);
    EXPECT_EQ(t.errors[0], RunTimeErrorMessage(RunTimeErrorKind::Overflow));
    EXPECT_TRUE(w.Command3->isEnabled() && w.Command7->isEnabled() && w.Command8->isEnabled());
    EXPECT_TRUE(w.sldrCalc->isEnabled());
    EXPECT_FALSE(w.Command2->isEnabled());  // as it was: no Preparation has completed
    EXPECT_EQ(w.Command3->text(), QStringLiteral("Подготовка"));
}

}  // namespace
}  // namespace tovik
