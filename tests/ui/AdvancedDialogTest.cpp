#include <QLineEdit>
#include <QPointer>
#include <tuple>

#include "gui/TestWindow.h"
#include "ui/AdvancedDialog.h"

namespace tovik {
namespace {

// A main window after its start-up, with the store's writes counted.
struct DialogFixture {
    explicit DialogFixture(bool create = true) : t(false) {
        if (create) Create();
    }
    void Create() {
        t.Create();
        t.store->SetAccessObserver([this](StoreAccess a, auto, auto) { writes += a == StoreAccess::Write; });
    }
    AdvancedDialog* Open() {
        QTest::mouseClick(t.c->Command5, Qt::LeftButton);
        return t.window->advancedDialog();
    }
    QLineEdit* Box(const char* name) { return test::Controls::Find<QLineEdit>(*t.window->advancedDialog(), name); }
    void Click(const char* button) {
        QTest::mouseClick(test::Controls::Find<QPushButton>(*t.window->advancedDialog(), button), Qt::LeftButton);
    }
    std::string Stored(const char* name) { return test::Stored(*t.store, name); }
    // The state a new start over the same store would load.
    std::unique_ptr<SimState> NextStart() {
        auto s = std::make_unique<SimState>();
        SettingsStore store(t.dir.path());
        MainWindow again(*s, store, t.services);
        return s;
    }

    test::TestWindow t;
    int writes = 0;
};

void Type(QLineEdit* box, const QString& text) {
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, text);
    ASSERT_EQ(box->text(), text);
}

TEST(AdvancedDialog, LoadShowsTheParametersAsNumberTexts) {
    // 0.5 shows as .5, and "ОК" without changes stores .5.
    DialogFixture f(false);
    f.t.store->RegPrepare();
    f.t.store->SetKeyValue("TimeLimit", "0.5");
    f.t.store->SetKeyValue("MaxCharge", "-250.5");
    f.Create();
    f.Open();
    EXPECT_EQ(f.Box("txtTime")->text(), ".5");
    EXPECT_EQ(f.Box("txtCharge")->text(), "250.5");
    f.Click("Command1");
    EXPECT_EQ(f.Stored("TimeLimit"), ".5");
    EXPECT_EQ(f.NextStart()->TimeLimit, 0.5f);
}

// "ОК", or Enter (after an Escape that does nothing), stores the texts.
TEST(AdvancedDialog, OkStoresTheTextsAndAppliesThemWithoutTheStartUpRules) {
    const struct {
        const char *box, *name, *text;
        double now, next;
        bool enter = false;
    } rows[] = {
        {"txtYo", "PartDimmension", "12.7", 13, 12}, {"txtYo", "PartDimmension", "3.5", 4, 3},
        {"txtYo", "PartDimmension", "2.5", 2, 2}, {"txtYo", "PartDimmension", "469.4", 469, 469},
        {"txtTime", "TimeLimit", ".25", .25, .25},
        {"txtMax", "MaxTension", "3.4028235e38", 3.4028235e38f, 3.4028235e38f},
        {"txtCharge", "MaxCharge", "-5", -5, 5}, {"txtCharge", "MaxCharge", "1,5", 1, 1},
        {"txtYo", "PartDimmension", "40", 40, 40, true},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(std::string(r.box) + " = " + r.text);
        DialogFixture f;
        QPointer<AdvancedDialog> d = f.Open();
        Type(f.Box(r.box), QString::fromUtf8(r.text));
        if (r.enter) {
            QTest::keyClick(f.Box(r.box), Qt::Key_Escape);
            EXPECT_TRUE(d->isVisible());
            QTest::keyClick(f.Box(r.box), Qt::Key_Return);
        } else {
            f.Click("Command1");
        }
        EXPECT_TRUE(f.t.warnings.isEmpty() && f.t.errors.isEmpty());
        EXPECT_TRUE(!d || !d->isVisible());
        EXPECT_EQ(test::Parameter(f.t.state, r.name), r.now);
        EXPECT_EQ(f.Stored(r.name), r.text);
        // The others are stored as they were shown.
        EXPECT_EQ(f.Stored("TimeLimit"), r.name == std::string("TimeLimit") ? r.text : "10");
        EXPECT_EQ(f.Stored("MaxCharge"), r.name == std::string("MaxCharge") ? r.text : "1000");
        EXPECT_EQ(test::Parameter(*f.NextStart(), r.name), r.next);
    }
}

TEST(AdvancedDialog, CancelAndTheCloseBoxChangeNothing) {
    for (bool closeBox : {false, true}) {
        SCOPED_TRACE(closeBox ? "close box" : "Отмена");
        DialogFixture f;
        QPointer<AdvancedDialog> d = f.Open();
        Type(f.Box("txtYo"), "7");
        Type(f.Box("txtCharge"), "-1");
        if (closeBox) d->close();
        else f.Click("Command2");
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(d.isNull());  // discarded on closing
        EXPECT_EQ(f.writes, 0);
        EXPECT_EQ(f.t.state.PartDimmension, 25);
        EXPECT_EQ(f.t.state.MaxCharge, 1000.0f);
        f.Open();
        EXPECT_EQ(f.Box("txtYo")->text(), "25");
        EXPECT_EQ(f.Box("txtCharge")->text(), "1000");
    }
}

// Texts that would make the program do nothing, or that the parameter
// cannot hold; the message names the values the field takes.
TEST(AdvancedDialog, TextsThatWouldDoNothingAreRefusedWithTheirRange) {
    const struct { const char *box, *text, *label, *range; } rows[] = {
        {"txtTime", "abc", "Label5", "больше 0"}, {"txtTime", "0", "Label5", "больше 0"},
        {"txtTime", "1e39", "Label5", "не больше 3.402823E+38"}, {"txtMax", "-300", "Label6", "больше 0"},
        {"txtMax", "-3.5e38", "Label6", "больше 0"}, {"txtYo", "abc", "Label7", "от 1 до 469"},
        {"txtYo", "0.4", "Label7", "от 1 до 469"}, {"txtYo", "-5", "Label7", "от 1 до 469"},
        {"txtYo", "469.5", "Label7", "от 1 до 469"}, {"txtYo", "2147483648", "Label7", "от 1 до 469"},
        {"txtCharge", "0", "Label1", "не равное 0"}, {"txtCharge", "1e400", "Label1", "от -3.402823E+38"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(std::string(r.box) + " = " + r.text);
        DialogFixture f;
        AdvancedDialog* d = f.Open();
        // A valid edit in another box is not applied either.
        QLineEdit* other = f.Box(r.box == std::string("txtMax") ? "txtTime" : "txtMax");
        Type(other, "3");
        Type(f.Box(r.box), QString::fromUtf8(r.text));
        f.Click("Command1");
        ASSERT_EQ(f.t.warnings.size(), 1);
        EXPECT_TRUE(f.t.warnings[0].contains(d->findChild<QLabel*>(r.label)->text()));
        EXPECT_TRUE(f.t.warnings[0].contains(QString::fromUtf8(r.range))) << f.t.warnings[0].toStdString();
        EXPECT_EQ(f.writes, 0);
        EXPECT_EQ((std::tuple{f.t.state.MaxTension, f.t.state.TimeLimit, f.t.state.PartDimmension}),
                  (std::tuple{5000.0f, 10.0f, 25}));
        EXPECT_TRUE(f.t.window->advancedDialog() == d && d->isVisible());
        EXPECT_EQ(f.Box(r.box)->text(), QString::fromUtf8(r.text));
        EXPECT_EQ(other->text(), "3");
        EXPECT_EQ(d->focusWidget(), f.Box(r.box));
        EXPECT_TRUE(f.t.errors.isEmpty());
    }
}

TEST(AdvancedDialog, SecondOpeningKeepsTheOpenDialogAndItsEdits) {
    DialogFixture f;
    AdvancedDialog* d = f.Open();
    Type(f.Box("txtMax"), "123");
    EXPECT_EQ(f.Open(), d);
    EXPECT_EQ(f.Box("txtMax")->text(), "123");
    EXPECT_TRUE(d->isVisible());
    EXPECT_EQ(f.t.state.MaxTension, 5000.0f);
    // The main window stays usable meanwhile: "Выход" ends at once.
    QTest::mouseClick(f.t.c->Command1, Qt::LeftButton);
    EXPECT_EQ(f.t.exits, 1);
}

}  // namespace
}  // namespace tovik
