#include <gtest/gtest.h>

#include <QTest>
#include <vector>

#include "gui/TestWindow.h"

namespace tovik {
namespace {

TEST(MainWindow, StartsWithStartDisabledAndTheProgressBarEmpty) {
    test::TestWindow t;
    t.window->show();
    const test::Controls& c = *t.c;
    EXPECT_EQ(t.window->windowTitle(), QStringLiteral("Электрическое поле"));
    EXPECT_EQ(t.window->size(), QSize(800, 600));
    EXPECT_FALSE(c.Command2->isEnabled());
    EXPECT_TRUE(c.prBar->isVisible());
    EXPECT_EQ(c.prBar->value(), 0);
    EXPECT_EQ(c.Er->text(), "0");
    EXPECT_FALSE(c.pctMain->label5()->isVisible());
    EXPECT_FALSE(c.pctMain->optCalc()->isVisible());
}

TEST(MainWindow, PopupMenuHasItsThreeItemsInOrder) {
    test::TestWindow t;
    const test::Controls& c = *t.c;
    EXPECT_EQ(c.Menu->title(), QStringLiteral("Меню"));
    const QList<QAction*> items = c.Menu->actions();
    ASSERT_EQ(items, (QList<QAction*>{c.mnCharge, c.mnClear, c.mnLines}));
    EXPECT_EQ(c.mnLines->text(), QStringLiteral("Нахождение линий"));
    // "Нахождение линий" changes nothing.
    const QImage before = t.window->Drawing();
    c.mnLines->trigger();
    EXPECT_EQ(t.window->Drawing(), before);
    EXPECT_TRUE(t.errors.isEmpty());
}

TEST(MainWindow, TabOrderFollowsTheTabIndexes) {
    test::TestWindow t;
    const test::Controls& c = *t.c;
    const auto* calc = static_cast<QWidget*>(c.sldrCalc);
    const auto* draw = static_cast<QWidget*>(c.sldrDraw);
    EXPECT_EQ(test::TabChain(c.pctMain, 12),
              (std::vector<QWidget*>{c.pctMain, const_cast<QWidget*>(calc), const_cast<QWidget*>(draw), c.Command5,
                                     c.Command4, c.Command3, c.Command2, c.Command1, c.Command6, c.Command7,
                                     c.Command8, c.pctMain}));
}

TEST(MainWindow, ExitEndsTheProgramWithoutWritingAnything) {
    test::TestWindow t;
    const std::string before = test::Stored(*t.store, "DrawSpeed");
    QTest::mouseClick(t.c->Command1, Qt::LeftButton);
    EXPECT_EQ(t.exits, 1);
    EXPECT_EQ(test::Stored(*t.store, "DrawSpeed"), before);
}

}  // namespace
}  // namespace tovik
