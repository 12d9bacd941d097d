#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLibraryInfo>
#include <QTemporaryDir>
#include <QTimer>
#include <QTranslator>

#include "gui/TestWindow.h"
#include "ui/AdvancedDialog.h"
#include "ui/RunProgress.h"
#include "ui/WindowServices.h"
#include "ui/Translations.h"

namespace tovik {
namespace {

// The texts of the open dialog that "Открыть" shows, Qt's own widget dialog
// rather than the desktop's: its buttons and the label of its folder list.
QStringList OpenDialogTexts() {
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs, true);
    QStringList texts;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog) return;
        poll.stop();
        if (auto* box = dialog->findChild<QDialogButtonBox*>("buttonBox"))
            for (QAbstractButton* b : box->buttons()) texts << b->text();
        if (auto* label = dialog->findChild<QLabel*>("lookInLabel")) texts << label->text();
        dialog->close();
    });
    poll.start(10);
    FileDialog cmdOS(WindowServices::Defaults().chooseFile);
    cmdOS.Filter = QStringLiteral("Рисунки|*.bmp");
    cmdOS.ShowOpen(nullptr);
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs, false);
    return texts;
}

TEST(Translations, FileDialogSpeaksRussianWhenQtsTranslationIsInstalled) {
    QTranslator* translator = InstallQtTranslations();
    if (!translator)
        GTEST_SKIP() << "qtbase_ru.qm is not in " << QLibraryInfo::path(QLibraryInfo::TranslationsPath).toStdString()
                     << " (Debian package qt6-translations-l10n): the dialogs stay in English";
    EXPECT_TRUE(QCoreApplication::testAttribute(Qt::AA_DontUseNativeDialogs));
    const QStringList texts = OpenDialogTexts();
    QCoreApplication::removeTranslator(translator);
    delete translator;
    EXPECT_EQ(texts, (QStringList{"&Открыть", "Отмена", "Перейти к:"}));
}

TEST(Translations, AMissingFileChangesNothing) {
    QTemporaryDir empty;
    EXPECT_EQ(InstallQtTranslations(empty.path()), nullptr);
    EXPECT_FALSE(QCoreApplication::testAttribute(Qt::AA_DontUseNativeDialogs));
    EXPECT_EQ(OpenDialogTexts(), (QStringList{"&Open", "Cancel", "Look in:"}));
}

// "English" in "Меню" switches the main window, with a caption that depends
// on what was done, an open dialog and Qt's own dialogs at once, and back;
// the choice is stored, and the next window starts in it.
TEST(Translations, EnglishAndBackSwitchEveryWindowAndAreRemembered) {
    QTranslator* qtRussian = InstallQtTranslations();
    test::TestWindow t(test::Dipole());
    QTest::mouseClick(t.c->Command3, Qt::LeftButton);
    QTest::mouseClick(t.c->Command5, Qt::LeftButton);
    QWidget* advanced = t.window->advancedDialog();
    ASSERT_NE(advanced, nullptr);
    QAction* english = t.c->Get<QAction>("mnEnglish");
    EXPECT_EQ(t.c->Menu->actions().back(), english);
    EXPECT_FALSE(english->isChecked());
    const struct {
        bool english;
        const char *stored, *title, *again, *cancel;
        QStringList qtDialog;
    } rows[] = {
        {true, "en", "Electric Field", "Prepare again", "Cancel", {"&Open", "Cancel", "Look in:"}},
        {false, "ru", "Электрическое поле", "Переподготовка", "Отмена", {"&Открыть", "Отмена", "Перейти к:"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.stored);
        QTest::mouseClick(t.c->pctMain, Qt::RightButton, {}, QPoint(20, 20));
        ASSERT_TRUE(t.c->Menu->isVisible());
        QTest::mouseClick(t.c->Menu, Qt::LeftButton, {}, t.c->Menu->actionGeometry(english).center());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
        EXPECT_EQ(english->isChecked(), row.english);
        EXPECT_EQ(t.window->windowTitle(), row.title);
        EXPECT_EQ(t.c->Command3->text(), row.again);
        EXPECT_EQ(advanced->findChild<QPushButton*>("Command2")->text(), row.cancel);
        if (qtRussian) {
            EXPECT_EQ(OpenDialogTexts(), row.qtDialog);
        }
        EXPECT_EQ(test::Stored(*t.store, "Language"), row.stored);
        MainWindow next(t.state, *t.store, t.services);
        EXPECT_EQ(next.findChild<QAction*>("mnEnglish")->isChecked(), row.english);
    }
    delete qtRussian;
}

// The end of "Пуск" counts its squares in the grammar of either language.
TEST(Translations, RunSummaryCountsSquaresInEitherLanguage) {
    const struct { Language language; long done, total; const char* said; } rows[] = {
        {Language::Russian, 1, 21, "«Пуск» остановлен: 1 из 21 квадрата за 0.50 с."},
        {Language::English, 1, 21, "“Start” stopped: 1 of 21 squares in 0.50 s."},
        {Language::English, 1, 1, "“Start” finished: 1 of 1 square in 0.50 s."},
        {Language::English, 11, 11, "“Start” finished: 11 of 11 squares in 0.50 s."},
    };
    for (const auto& row : rows) {
        const test::InLanguage speaking(row.language);
        EXPECT_EQ(RunSummary(row.done, row.total, 0.5), QString::fromUtf8(row.said));
    }
}

}  // namespace
}  // namespace tovik
