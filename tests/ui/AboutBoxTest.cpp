#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QLabel>

#include "gui/TestWindow.h"
#include "ui/AboutBox.h"

namespace tovik {
namespace {

template <typename T>
T* Child(QWidget* w, const char* name) {
    return test::Controls::Find<T>(*w, name);
}

// A main window over a temporary store; its services record the About
// box's message box and process start instead of carrying them out.
struct AboutFixture {
    // Opens the About box the way the user does.
    AboutBox* Open() {
        QTest::mouseClick(t.c->Command6, Qt::LeftButton);
        return t.window->aboutBox();
    }

    test::TestWindow t;
};

TEST(AboutBox, NamesTheProgramAndItsVersion) {
    AboutFixture f;
    AboutBox* box = f.Open();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->windowTitle(), "About Tovik");
    EXPECT_EQ(Child<QLabel>(box, "lblTitle")->text(), "Tovik");
    EXPECT_EQ(Child<QLabel>(box, "lblVersion")->text(), "Version 1.0.0");
    EXPECT_EQ(Child<QLabel>(box, "picIcon")->pixmap().size(), QSize(32, 32));
    // A fixed dialog: client area 382 x 237 right below the menu bar.
    EXPECT_EQ(Child<QWidget>(box, "client")->pos(), QPoint(0, Child<QMenuBar>(box, "menuBar")->geometry().bottom() + 1));
    EXPECT_EQ(box->size(), QSize(382, Child<QMenuBar>(box, "menuBar")->height() + 237));
    EXPECT_EQ(box->minimumSize(), box->maximumSize());
    EXPECT_TRUE(Child<QPushButton>(box, "cmdOK")->isDefault());
    EXPECT_EQ(box->focusWidget(), Child<QPushButton>(box, "cmdOK"));
}

TEST(AboutBox, EnterEscapeAndOkCloseAndDiscardIt) {
    for (int way = 0; way < 4; ++way) {
        SCOPED_TRACE(way);
        AboutFixture f;
        QPointer<AboutBox> box = f.Open();
        ASSERT_TRUE(box);
        // Keys go where the user's keys go: to the widget with the focus.
        const Qt::Key keys[] = {Qt::Key_Enter, Qt::Key_Return, Qt::Key_Escape};
        if (way < 3)
            QTest::keyClick(box->focusWidget(), keys[way]);
        else
            QTest::mouseClick(Child<QPushButton>(box, "cmdOK"), Qt::LeftButton);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_FALSE(box);
        EXPECT_EQ(f.t.window->aboutBox(), nullptr);
        // The next "О программе..." creates it anew.
        AboutBox* again = f.Open();
        ASSERT_NE(again, nullptr);
        EXPECT_EQ(again->windowTitle(), "About Tovik");
    }
}

TEST(AboutBox, ItsMenuBarIsTheMainWindowsMenu) {
    AboutFixture f;
    const test::Controls& w = *f.t.c;
    w.pctMain->setForeColor(0x00FFFFFF);
    w.pctMain->plot(10, 10);
    w.pctMain->lineTo(120, 90);
    ASSERT_NE(w.pctMain->image(), w.pctMain->picture());

    QPointer<AboutBox> box = f.Open();
    ASSERT_TRUE(box);
    ASSERT_EQ(Child<QMenuBar>(box, "menuBar")->actions().size(), 1);
    EXPECT_EQ(Child<QMenuBar>(box, "menuBar")->actions()[0]->menu(), w.Menu);
    const QList<QAction*> items = w.Menu->actions();

    // Open "Меню" on the bar and choose "Очистка поля": the main window's
    // drawings go.
    QTest::mouseClick(Child<QMenuBar>(box, "menuBar"), Qt::LeftButton, {},
                      Child<QMenuBar>(box, "menuBar")->actionGeometry(Child<QMenuBar>(box, "menuBar")->actions()[0]).center());
    ASSERT_TRUE(w.Menu->isVisible());
    QTest::mouseClick(w.Menu, Qt::LeftButton, {}, w.Menu->actionGeometry(w.mnClear).center());
    EXPECT_EQ(w.pctMain->image(), w.pctMain->picture());
    EXPECT_TRUE(f.t.errors.isEmpty());

    // Closing the box leaves the menu whole with the main window.
    QTest::mouseClick(Child<QPushButton>(box, "cmdOK"), Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_FALSE(box);
    EXPECT_EQ(w.Menu->actions(), items);
}

TEST(AboutBox, SystemInfoThroughTheMachineWideStore) {
    QTemporaryDir withTool, withoutTool;
    ASSERT_TRUE(QFile(withTool.filePath("MSINFO32.EXE")).open(QIODevice::WriteOnly));
    const std::string folder = withTool.path().toStdString();
    const char* tool = "C:\\Tools\\msinfo32.exe";
    const struct {
        const char* name;
        const char* path;    // value "PATH" of the first key, if any
        std::string folder;  // value "MSINFO" of the second key, if not empty
        bool startSucceeds;
        QString started;     // the program started, if any
    } rows[] = {
        {"neither key", nullptr, "", true, ""},
        {"second key without the file", nullptr, withoutTool.path().toStdString(), true, ""},
        {"second key naming a folder that is gone", nullptr, folder + "/gone", true, ""},
        {"second key with the file", nullptr, folder, true, withTool.path() + "\\MSINFO32.EXE"},
        {"first key", tool, "", true, tool},
        {"first key before the second", tool, folder, true, tool},
        {"start fails", tool, "", false, tool},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        AboutFixture f;
        f.t.startSucceeds = r.startSucceeds;
        SettingsStore& store = *f.t.store;
        ASSERT_TRUE(!r.path || store.SetMachineValue("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH", r.path));
        ASSERT_TRUE(r.folder.empty() ||
                    store.SetMachineValue("SOFTWARE\\Microsoft\\Shared Tools Location", "MSINFO", r.folder));
        AboutBox* box = f.Open();
        ASSERT_NE(box, nullptr);
        QTest::mouseClick(Child<QPushButton>(box, "cmdSysInfo"), Qt::LeftButton);
        EXPECT_EQ(f.t.started, r.started.isEmpty() ? QStringList() : QStringList{r.started});
        // The message when nothing was started, and the box stays open either way.
        const bool message = r.started.isEmpty() || !r.startSucceeds;
        EXPECT_EQ(f.t.messages, message ? QStringList{"System Information Is Unavailable At This Time"} : QStringList());
        EXPECT_TRUE(box->isVisible());
        EXPECT_TRUE(f.t.errors.isEmpty());
    }
}

}  // namespace
}  // namespace tovik
