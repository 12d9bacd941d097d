#include <gtest/gtest.h>

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QTest>

#include "gui/TestWindow.h"
#include "ui/PictureArea.h"

namespace tovik {
namespace {

struct ControlRow {
    const char* name;
    const char* parent;
    QString text;
    QRect geometry;
    QString tooltip;
    bool enabled;
    bool visible;
};

QString TextOf(QWidget* w) {
    if (auto* b = qobject_cast<QPushButton*>(w)) return b->text();
    if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
    if (auto* g = qobject_cast<QGroupBox*>(w)) return g->title();
    return QString();
}

TEST(MainWindow, ControlsAreInPlace) {
    test::TestWindow t;
    MainWindow& w = *t.window;
    w.show();
    EXPECT_EQ(w.objectName(), "frmMain");
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Электрическое поле"));
    EXPECT_EQ(w.size(), QSize(800, 600));
    EXPECT_TRUE(w.windowFlags() & Qt::FramelessWindowHint);

    const ControlRow rows[] = {
        {"frmControl", "frmMain", "Панель управления", {336, 0, 457, 105}, "", true, true},
        {"Command8", "frmControl", "Сохранить", {272, 56, 65, 25}, "", true, true},
        {"Command7", "frmControl", "Открыть", {272, 24, 65, 25}, "", true, true},
        {"Command6", "frmControl", "О программе...", {344, 56, 105, 25}, "", true, true},
        {"Command1", "frmControl", "Выход", {112, 56, 65, 25}, "", true, true},
        {"Command2", "frmControl", "Пуск", {112, 24, 65, 25}, "", false, true},
        {"Command3", "frmControl", "Подготовка", {8, 24, 97, 25}, "", true, true},
        {"Command4", "frmControl", "Очистка", {8, 56, 97, 25}, "", true, true},
        {"Command5", "frmControl", "Дополнительно...", {344, 24, 105, 25}, "", true, true},
        {"Er", "frmControl", "0", {320, 85, 129, 17}, "Плотность заряда в данной точке", true, true},
        {"Ex", "frmControl", "0", {8, 85, 153, 17}, "X-составляющая вектора напряжённости", true, true},
        {"Ey", "frmControl", "0", {160, 85, 153, 17}, "Y-составляющая вектора напряжённости", true, true},
        {"frmDraw", "frmMain", "Параметры нахождения линий напряжённости", {8, 56, 321, 49}, "", true, true},
        {"sldrDraw", "frmDraw", "", {56, 16, 217, 25}, "", true, true},
        {"frmCalc", "frmMain", "Параметры вычисления напряжённости поля", {8, 0, 321, 49}, "", true, true},
        {"sldrCalc", "frmCalc", "", {56, 16, 217, 25}, "", true, true},
        {"prBar", "frmMain", "", {8, 584, 785, 17}, "", true, true},
        {"pctMain", "frmMain", "", {8, 112, 785, 473}, "", true, true},
        {"Label5", "pctMain", "Label5", {}, "", true, false},
        {"OptCalc", "pctMain", "", {2, 2, 781, 469}, "", true, false},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        auto* c = w.findChild<QWidget*>(r.name);
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(c->parentWidget()->objectName(), r.parent);
        EXPECT_EQ(TextOf(c), r.text);
        if (!r.geometry.isNull()) {
            EXPECT_EQ(c->geometry(), r.geometry);
        }
        EXPECT_EQ(c->toolTip(), r.tooltip);
        EXPECT_EQ(c->isEnabled(), r.enabled);
        EXPECT_EQ(c->isVisible(), r.visible);
    }

    // Labels sized to their text keep their top-left corner.
    const struct { const char* name; const char* text; QPoint pos; } sized[] = {
        {"Label1", "Быстрее", {8, 24}}, {"Label2", "Точнее", {272, 24}},
        {"Label3", "Быстрее", {8, 24}}, {"Label4", "Точнее", {272, 24}},
    };
    for (const auto& s : sized) {
        auto* l = w.findChild<QLabel*>(s.name);
        ASSERT_NE(l, nullptr) << s.name;
        EXPECT_EQ(l->text(), QString::fromUtf8(s.text));
        EXPECT_EQ(l->pos(), s.pos);
    }

    EXPECT_EQ(w.sldrCalc->minimum(), 0);
    EXPECT_EQ(w.sldrCalc->maximum(), 5);
    EXPECT_EQ(w.sldrDraw->minimum(), 1);
    EXPECT_EQ(w.sldrDraw->maximum(), 10);
    for (QSlider* s : {w.sldrCalc, w.sldrDraw}) {
        EXPECT_EQ(s->tickInterval(), 1);
        EXPECT_EQ(s->singleStep(), 1);
        EXPECT_EQ(s->pageStep(), 5);
        EXPECT_NE(s->tickPosition(), QSlider::NoTicks);
    }
    EXPECT_EQ(w.prBar->minimum(), 0);
    EXPECT_EQ(w.prBar->maximum(), 100);
    EXPECT_EQ(w.prBar->value(), 0);

    QPalette pal = w.pctMain->label5()->palette();
    EXPECT_EQ(pal.color(QPalette::WindowText), QColor(255, 255, 0));
    EXPECT_EQ(w.pctMain->label5()->font().pointSize(), 24);
}

TEST(MainWindow, PopupMenuHasItsThreeItemsInOrder) {
    test::TestWindow t;
    MainWindow& w = *t.window;
    EXPECT_EQ(w.Menu->title(), QStringLiteral("Меню"));
    const QList<QAction*> items = w.Menu->actions();
    ASSERT_EQ(items.size(), 3);
    const char* names[] = {"mnCharge", "mnClear", "mnLines"};
    const QString texts[] = {"Средний заряд", "Очистка поля", "Нахождение линий"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(items[i]->objectName(), names[i]);
        EXPECT_EQ(items[i]->text(), texts[i]);
        EXPECT_TRUE(items[i]->isEnabled());
        EXPECT_TRUE(items[i]->isVisible());
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
    QWidget* expected[] = {w.pctMain, w.sldrCalc, w.sldrDraw, w.Command5, w.Command4, w.Command3,
                           w.Command2, w.Command1, w.Command6, w.Command7, w.Command8};
    // Walk the focus chain from the picture area, keeping what Tab can reach.
    std::vector<QWidget*> chain;
    QWidget* c = w.pctMain;
    do {
        if (c->focusPolicy() & Qt::TabFocus) chain.push_back(c);
        c = c->nextInFocusChain();
    } while (c != w.pctMain && chain.size() < 50);
    ASSERT_GE(chain.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) EXPECT_EQ(chain[i], expected[i]) << i;
}

TEST(MainWindow, ExitEndsAtOnce) {
    test::TestWindow t;
    QTest::mouseClick(t.window->Command1, Qt::LeftButton);
    EXPECT_EQ(t.exits, 1);
}

}  // namespace
}  // namespace tovik
