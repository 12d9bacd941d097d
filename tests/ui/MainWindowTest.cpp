#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <array>
#include <vector>

#include "gui/TestWindow.h"
#include "ui/PictureArea.h"

namespace tovik {
namespace {

TEST(MainWindow, ControlsAreInPlace) {
    test::TestWindow t;
    MainWindow& w = *t.window;
    w.show();
    EXPECT_EQ(w.objectName(), "frmMain");
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Электрическое поле"));
    EXPECT_EQ(w.size(), QSize(800, 600));
    EXPECT_TRUE(w.windowFlags() & Qt::FramelessWindowHint);

    // Labels of "Быстрее" and "Точнее" are sized to their text.
    test::ExpectControls(w, {
        {"frmControl", "frmMain", "Панель управления", {336, 0, 457, 105}},
        {"Command8", "frmControl", "Сохранить", {272, 56, 65, 25}},
        {"Command7", "frmControl", "Открыть", {272, 24, 65, 25}},
        {"Command6", "frmControl", "О программе...", {344, 56, 105, 25}},
        {"Command1", "frmControl", "Выход", {112, 56, 65, 25}},
        {"Command2", "frmControl", "Пуск", {112, 24, 65, 25}, "", false},
        {"Command3", "frmControl", "Подготовка", {8, 24, 97, 25}},
        {"Command4", "frmControl", "Очистка", {8, 56, 97, 25}},
        {"Command5", "frmControl", "Дополнительно...", {344, 24, 105, 25}},
        {"Er", "frmControl", "0", {320, 85, 129, 17}, "Плотность заряда в данной точке"},
        {"Ex", "frmControl", "0", {8, 85, 153, 17}, "X-составляющая вектора напряжённости"},
        {"Ey", "frmControl", "0", {160, 85, 153, 17}, "Y-составляющая вектора напряжённости"},
        {"frmDraw", "frmMain", "Параметры нахождения линий напряжённости", {8, 56, 321, 49}},
        {"sldrDraw", "frmDraw", "", {56, 16, 217, 25}},
        {"Label3", "frmDraw", "Быстрее", {8, 24, 0, 0}},
        {"Label4", "frmDraw", "Точнее", {272, 24, 0, 0}},
        {"frmCalc", "frmMain", "Параметры вычисления напряжённости поля", {8, 0, 321, 49}},
        {"sldrCalc", "frmCalc", "", {56, 16, 217, 25}},
        {"Label1", "frmCalc", "Быстрее", {8, 24, 0, 0}},
        {"Label2", "frmCalc", "Точнее", {272, 24, 0, 0}},
        {"prBar", "frmMain", "", {8, 584, 785, 17}},
        {"pctMain", "frmMain", "", {8, 112, 785, 473}},
        {"Label5", "pctMain", "Label5", {}, "", true, false},
        {"OptCalc", "pctMain", "", {2, 2, 781, 469}, "", true, false},
    });
    EXPECT_EQ(w.pctMain->label5()->palette().color(QPalette::WindowText), QColor(255, 255, 0));
    EXPECT_EQ(w.pctMain->label5()->font().pointSize(), 24);

    // Ranges: minimum, maximum, value; the sliders tick at every step.
    EXPECT_EQ((std::array{w.sldrCalc->minimum(), w.sldrCalc->maximum(), w.sldrDraw->minimum(),
                          w.sldrDraw->maximum(), w.prBar->minimum(), w.prBar->maximum(), w.prBar->value()}),
              (std::array{0, 5, 1, 10, 0, 100, 0}));
    for (QSlider* s : {w.sldrCalc, w.sldrDraw}) {
        EXPECT_EQ((std::array{s->tickInterval(), s->singleStep(), s->pageStep()}), (std::array{1, 1, 5}));
        EXPECT_NE(s->tickPosition(), QSlider::NoTicks);
    }
}

TEST(MainWindow, PopupMenuHasItsThreeItemsInOrder) {
    test::TestWindow t;
    MainWindow& w = *t.window;
    EXPECT_EQ(w.Menu->title(), QStringLiteral("Меню"));
    const QList<QAction*> items = w.Menu->actions();
    ASSERT_EQ(items.size(), 3);
    const std::pair<const char*, QString> expected[] = {
        {"mnCharge", "Средний заряд"}, {"mnClear", "Очистка поля"}, {"mnLines", "Нахождение линий"}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(items[i]->objectName(), expected[i].first);
        EXPECT_EQ(items[i]->text(), expected[i].second);
        EXPECT_TRUE(items[i]->isEnabled() && items[i]->isVisible()) << i;
    }
    // "Нахождение линий" changes nothing.
    const QImage before = w.pctMain->image();
    w.mnLines->trigger();
    EXPECT_EQ(w.pctMain->image(), before);
    EXPECT_TRUE(t.errors.isEmpty());
}

TEST(MainWindow, TabOrderFollowsTheTabIndexes) {
    test::TestWindow t;
    MainWindow& w = *t.window;
    EXPECT_EQ(test::TabChain(w.pctMain, 12), (std::vector<QWidget*>{w.pctMain, w.sldrCalc, w.sldrDraw, w.Command5,
                                                                    w.Command4, w.Command3, w.Command2, w.Command1,
                                                                    w.Command6, w.Command7, w.Command8, w.pctMain}));
}

}  // namespace
}  // namespace tovik
