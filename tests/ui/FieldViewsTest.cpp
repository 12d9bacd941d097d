#include <QElapsedTimer>
#include <QGroupBox>
#include <cstring>

#include "gui/TestWindow.h"
#include "ui/FieldViews.h"

namespace tovik {
namespace {

using test::Dipole;

QAction* Item(test::TestWindow& t, const char* name) { return test::Controls::Find<QAction>(*t.window, name); }

// Prepares and waits for the field to be computed and its views shown.
void PrepareAndWait(test::TestWindow& t) {
    QTest::mouseClick(t.c->Command3, Qt::LeftButton);
    const FieldViews* views = t.window->findChild<FieldViews*>("FieldViews");
    ASSERT_NE(views, nullptr);
    QElapsedTimer clock;
    clock.start();
    while (!views->Idle() && clock.elapsed() < 30000) QTest::qWait(5);
    ASSERT_TRUE(views->Idle());
}

// The three items follow the specified ones, checkable and off by default;
// their state is stored and read back by the next window, one map at a time,
// and stored values this window never writes read as off.
TEST(FieldViews, MenuItemsAndTheirSettings) {
    test::TestWindow t;
    const QList<QAction*> items = t.c->Menu->actions();
    ASSERT_EQ(items.size(), 8);  // and "Экспорт...", "English"
    const QStringList texts = {QCoreApplication::translate("tovik::FieldViews", "Эквипотенциали"),
                               QCoreApplication::translate("tovik::FieldViews", "Карта напряжённости"),
                               QCoreApplication::translate("tovik::FieldViews", "Карта потенциала")};
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(items[3 + k]->text(), texts[k]);
        EXPECT_TRUE(items[3 + k]->isCheckable());
        EXPECT_FALSE(items[3 + k]->isChecked());
    }
    items[3]->trigger();
    items[4]->trigger();
    items[5]->trigger();  // the potential's map replaces the field's
    EXPECT_EQ(test::Stored(*t.store, "Equipotentials"), "1");
    EXPECT_EQ(test::Stored(*t.store, "FieldMap"), "2");

    const struct { const char *equipotentials, *map; bool e, f, p; } rows[] = {
        {"1", "2", true, false, true}, {"0", "1", false, true, false}, {"7", "-1", false, false, false},
        {"yes", "field", false, false, false}, {"1.0", "", false, false, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.equipotentials) + " " + row.map);
        t.store->RegPrepare();
        t.store->SetKeyValue(FieldViews::EquipotentialsKey, row.equipotentials);
        t.store->SetKeyValue(FieldViews::FieldMapKey, row.map);
        t.window.reset();
        t.Create();
        EXPECT_EQ(Item(t, "mnEquipotentials")->isChecked(), row.e);
        EXPECT_EQ(Item(t, "mnFieldMap")->isChecked(), row.f);
        EXPECT_EQ(Item(t, "mnPotentialMap")->isChecked(), row.p);
    }
}

// A picture saved with its views and loaded again carries exactly the charge
// of the original: Preparation gives the same grid, bit for bit. "Очистка"
// takes the lines and leaves the views.
TEST(FieldViews, ViewsKeepTheChargeAndStayAfterClearing) {
    for (const char* item : {"mnEquipotentials", "mnFieldMap", "mnPotentialMap"}) {
        SCOPED_TRACE(item);
        test::TestWindow t(Dipole());
        Item(t, item)->trigger();
        if (std::string(item) != "mnEquipotentials") Item(t, "mnEquipotentials")->trigger();
        PrepareAndWait(t);
        ASSERT_NE(t.c->pctMain->image(), t.c->pctMain->picture());
        const SimState before = t.state;
        const QImage views = t.c->pctMain->image();

        t.c->pctMain->setForeColor(0x00FFFFFF);
        t.c->pctMain->plot(10, 10);
        t.c->pctMain->lineTo(120, 90);
        QTest::mouseClick(t.c->Command4, Qt::LeftButton);
        EXPECT_EQ(t.c->pctMain->image(), views);

        const QString path = t.dir.filePath("saved.bmp");
        QString error;
        ASSERT_TRUE(t.services.savePicture(t.window->Drawing(), path, &error)) << error.toStdString();
        QImage reloaded;
        ASSERT_TRUE(LoadPictureFile(path, &reloaded, &error)) << error.toStdString();
        t.window->ShowPicture(reloaded);
        EXPECT_EQ(t.c->pctMain->image(), t.c->pctMain->picture());  // a new picture has no views yet
        PrepareAndWait(t);
        EXPECT_EQ(t.state.Charges().AreaLeft, before.Charges().AreaLeft);
        EXPECT_EQ(t.state.Charges().AreaBottom, before.Charges().AreaBottom);
        EXPECT_EQ(std::memcmp(t.state.Charges().ChargeDensity.data(), before.Charges().ChargeDensity.data(),
                              before.Charges().ChargeDensity.size() * sizeof(float)),
                  0);
        EXPECT_TRUE(t.errors.isEmpty()) << t.errors.join('\n').toStdString();
    }
}

// The potential read-out sits beside the three read-outs, which keep their
// places and sizes, and a long value fits in it; it shows the potential once
// the grid is ready: positive near the blue charge, negative near the red.
TEST(FieldViews, PotentialReadOut) {
    test::TestWindow t(Dipole());
    auto* phi = test::Controls::Find<QLabel>(*t.window, "Phi");
    EXPECT_EQ(t.c->Ex->geometry(), QRect(8, 85, 153, 17));
    EXPECT_EQ(t.c->Ey->geometry(), QRect(160, 85, 153, 17));
    EXPECT_EQ(t.c->Er->geometry(), QRect(320, 85, 129, 17));
    for (QWidget* w : t.c->Get<QGroupBox>("frmControl")->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (w != phi) {
            EXPECT_FALSE(w->geometry().intersects(phi->geometry())) << w->objectName().toStdString();
        }
    phi->setText("-1.234567e+305");
    EXPECT_LE(phi->sizeHint().width(), phi->width());

    Item(t, "mnFieldMap")->trigger();
    PrepareAndWait(t);
    t.window->pctMain_MouseMove(0, 0, 300, 236);
    EXPECT_GT(phi->text().toDouble(), 100);
    t.window->pctMain_MouseMove(0, 0, 480, 236);
    EXPECT_LT(phi->text().toDouble(), -100);
}

}  // namespace
}  // namespace tovik
