#include <QFile>
#include <QMenuBar>
#include <QPointer>

#include "gui/TestWindow.h"
#include "ui/AboutBox.h"

namespace tovik {
namespace {

template <typename T>
T* Child(QWidget* w, const char* name) {
    return test::Controls::Find<T>(*w, name);
}

// Opens the About box the way the user does.
AboutBox* OpenAbout(test::TestWindow& t) {
    QTest::mouseClick(t.c->Command6, Qt::LeftButton);
    return t.window->aboutBox();
}

TEST(AboutBox, EnterEscapeAndOkCloseAndDiscardIt) {
    // Qt::Key_unknown stands for a click on "OK".
    for (Qt::Key key : {Qt::Key_Enter, Qt::Key_Return, Qt::Key_Escape, Qt::Key_unknown}) {
        SCOPED_TRACE(key);
        test::TestWindow t;
        QPointer<AboutBox> box = OpenAbout(t);
        ASSERT_TRUE(box);
        EXPECT_FALSE(Child<QLabel>(box, "picIcon")->pixmap().isNull());
        // Keys go where the user's keys go: to the widget with the focus.
        if (key == Qt::Key_unknown)
            QTest::mouseClick(Child<QPushButton>(box, "cmdOK"), Qt::LeftButton);
        else
            QTest::keyClick(box->focusWidget(), key);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_FALSE(box);
        EXPECT_EQ(t.window->aboutBox(), nullptr);
        EXPECT_NE(OpenAbout(t), nullptr);  // the next "О программе..." creates it anew
    }
}

TEST(AboutBox, ItsMenuBarIsTheMainWindowsMenu) {
    test::TestWindow t;
    const test::Controls& w = *t.c;
    w.pctMain->setForeColor(0x00FFFFFF);
    w.pctMain->plot(10, 10);
    w.pctMain->lineTo(120, 90);
    ASSERT_NE(w.pctMain->image(), w.pctMain->picture());
    const QList<QAction*> items = w.Menu->actions();

    QPointer<AboutBox> box = OpenAbout(t);
    ASSERT_TRUE(box);
    QMenuBar* bar = Child<QMenuBar>(box, "menuBar");
    ASSERT_EQ(bar->actions().size(), 1);
    EXPECT_EQ(bar->actions()[0]->menu(), w.Menu);

    // Open "Меню" on the bar and choose "Очистка поля": the main window's
    // drawings go.
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(bar->actions()[0]).center());
    ASSERT_TRUE(w.Menu->isVisible());
    QTest::mouseClick(w.Menu, Qt::LeftButton, {}, w.Menu->actionGeometry(w.mnClear).center());
    EXPECT_EQ(w.pctMain->image(), w.pctMain->picture());
    EXPECT_TRUE(t.errors.isEmpty());

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
        {"second key with the file", nullptr, folder, true, withTool.path() + "\\MSINFO32.EXE"},
        {"first key before the second", tool, folder, true, tool},
        {"start fails", tool, "", false, tool},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        test::TestWindow t;
        t.startSucceeds = r.startSucceeds;
        ASSERT_TRUE(!r.path || t.store->SetMachineValue("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH", r.path));
        ASSERT_TRUE(r.folder.empty() ||
                    t.store->SetMachineValue("SOFTWARE\\Microsoft\\Shared Tools Location", "MSINFO", r.folder));
        AboutBox* box = OpenAbout(t);
        ASSERT_NE(box, nullptr);
        QTest::mouseClick(Child<QPushButton>(box, "cmdSysInfo"), Qt::LeftButton);
        EXPECT_EQ(t.started, r.started.isEmpty() ? QStringList() : QStringList{r.started});
        // The message when nothing was started, and the box stays open either way.
        const bool message = r.started.isEmpty() || !r.startSucceeds;
        EXPECT_EQ(t.messages, message ? QStringList{"System Information Is Unavailable At This Time"} : QStringList());
        EXPECT_TRUE(box->isVisible());
        EXPECT_TRUE(t.errors.isEmpty());
    }
}

}  // namespace
}  // namespace tovik
