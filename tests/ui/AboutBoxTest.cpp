#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "gui/TestWindow.h"
#include "ui/AboutBox.h"
#include "ui/PictureArea.h"

namespace tovik {
namespace {

// A main window over a temporary store, with the About box's message box and
// process start recorded instead of carried out.
struct AboutFixture {
    AboutFixture() {
        AboutBox::SetMessagePresenter([this](QWidget* parent, const QString& title, const QString& text) {
            messages << text;
            EXPECT_EQ(parent, t.window->aboutBox());
            EXPECT_EQ(title, "Tovik");
        });
        AboutBox::SetProcessStarter([this](const QString& program) {
            started << program;
            return startSucceeds;
        });
    }
    ~AboutFixture() {
        AboutBox::ResetMessagePresenter();
        AboutBox::ResetProcessStarter();
    }
    // Opens the About box the way the user does.
    AboutBox* Open() {
        QTest::mouseClick(t.window->Command6, Qt::LeftButton);
        return t.window->aboutBox();
    }

    test::TestWindow t;
    QStringList messages;
    QStringList started;
    bool startSucceeds = true;
};

TEST(AboutBox, ControlsAreInPlace) {
    AboutFixture f;
    AboutBox* box = f.Open();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->objectName(), "frmAbout");
    EXPECT_EQ(box->windowTitle(), "About Tovik");
    // Positions count from the client area below the menu bar.
    const std::pair<QWidget*, test::ControlRow> rows[] = {
        {box->picIcon, {"picIcon", "client", "", {16, 16, 36, 36}}},
        {box->cmdOK, {"cmdOK", "client", "OK", {283, 175, 84, 23}}},
        {box->cmdSysInfo, {"cmdSysInfo", "client", "&System Info...", {284, 205, 83, 23}}},
        {box->Line1[1], {"Line1", "client", "", {6, 163, 371, 1}}},
        {box->lblDescription, {"lblDescription", "client", "App Description", {70, 75, 259, 78}}},
        {box->lblTitle, {"lblTitle", "client", "Tovik", {70, 16, 259, 32}}},
        {box->Line1[0], {"Line1", "client", "", {7, 164, 370, 2}}},
        {box->lblVersion, {"lblVersion", "client", "Version 1.0.0", {70, 52, 259, 15}}},
        {box->lblDisclaimer, {"lblDisclaimer", "client", "Warning: ...", {17, 175, 258, 55}}},
    };
    for (const auto& [control, row] : rows) test::ExpectControl(control, row);
    EXPECT_EQ(box->picIcon->pixmap().size(), QSize(32, 32));
    EXPECT_EQ(box->Line1[1]->palette().color(QPalette::Window), QColor(0x80, 0x80, 0x80));
    EXPECT_EQ(box->Line1[0]->palette().color(QPalette::Window), QColor(Qt::white));

    // A fixed dialog: client area 382 x 237 right below the menu bar.
    EXPECT_EQ(box->client->pos(), QPoint(0, box->menuBar->geometry().bottom() + 1));
    EXPECT_EQ(box->size(), QSize(382, box->menuBar->height() + 237));
    EXPECT_EQ(box->minimumSize(), box->maximumSize());
    EXPECT_EQ(box->windowFlags() & Qt::WindowType_Mask, Qt::Dialog);
    EXPECT_FALSE(box->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(box->cmdOK->isDefault());
    EXPECT_EQ(box->focusWidget(), box->cmdOK);
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
            QTest::mouseClick(box->cmdOK, Qt::LeftButton);
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
    MainWindow& w = *f.t.window;
    w.pctMain->setForeColor(0x00FFFFFF);
    w.pctMain->plot(10, 10);
    w.pctMain->lineTo(120, 90);
    ASSERT_NE(w.pctMain->image(), w.pctMain->picture());

    QPointer<AboutBox> box = f.Open();
    ASSERT_TRUE(box);
    ASSERT_EQ(box->menuBar->actions().size(), 1);
    EXPECT_EQ(box->menuBar->actions()[0]->menu(), w.Menu);
    const QList<QAction*> items = w.Menu->actions();

    // Open "Меню" on the bar and choose "Очистка поля": the main window's
    // drawings go.
    QTest::mouseClick(box->menuBar, Qt::LeftButton, {},
                      box->menuBar->actionGeometry(box->menuBar->actions()[0]).center());
    ASSERT_TRUE(w.Menu->isVisible());
    QTest::mouseClick(w.Menu, Qt::LeftButton, {}, w.Menu->actionGeometry(w.mnClear).center());
    EXPECT_EQ(w.pctMain->image(), w.pctMain->picture());
    EXPECT_TRUE(f.t.errors.isEmpty());

    // Closing the box leaves the menu whole with the main window.
    QTest::mouseClick(box->cmdOK, Qt::LeftButton);
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
        f.startSucceeds = r.startSucceeds;
        SettingsStore& store = *f.t.store;
        ASSERT_TRUE(!r.path || store.SetMachineValue("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH", r.path));
        ASSERT_TRUE(r.folder.empty() ||
                    store.SetMachineValue("SOFTWARE\\Microsoft\\Shared Tools Location", "MSINFO", r.folder));
        AboutBox* box = f.Open();
        ASSERT_NE(box, nullptr);
        QTest::mouseClick(box->cmdSysInfo, Qt::LeftButton);
        EXPECT_EQ(f.started, r.started.isEmpty() ? QStringList() : QStringList{r.started});
        // The message when nothing was started, and the box stays open either way.
        const bool message = r.started.isEmpty() || !r.startSucceeds;
        EXPECT_EQ(f.messages, message ? QStringList{"System Information Is Unavailable At This Time"} : QStringList());
        EXPECT_TRUE(box->isVisible());
        EXPECT_TRUE(f.t.errors.isEmpty());
    }
}

}  // namespace
}  // namespace tovik
