#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLibraryInfo>
#include <QTemporaryDir>
#include <QTimer>
#include <QTranslator>

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

}  // namespace
}  // namespace tovik
