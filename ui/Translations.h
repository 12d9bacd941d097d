#pragma once

#include <QString>

class QTranslator;

namespace tovik {

// The languages the windows speak. Russian is the windows' own: its texts
// are the source texts, with no translation of the program's.
enum class Language { Russian, English };

// Installs Qt's own Russian texts (qtbase_ru.qm, from the Debian package
// qt6-translations-l10n) into the running application, so that the file
// dialogs, the message boxes and the standard buttons speak the program's
// language. The file dialogs are then Qt's own, not the desktop's, which
// would speak the desktop's language. Looks in Qt's translations folder
// unless told another. Returns the installed translator, owned by the
// application, or nullptr when the file is missing or unreadable; then
// nothing changes.
QTranslator* InstallQtTranslations(const QString& directory = QString());

// Makes every window speak `language` at once: English installs the
// program's English translation (built into the program) and takes Qt's
// Russian texts away, so that Qt's dialogs speak their own English; Russian
// takes the English translation away and gives Qt's Russian texts back, when
// they were installed. Every widget is sent QEvent::LanguageChange. Returns
// false, changing nothing, when the English translation cannot be loaded.
bool SetLanguage(Language language);
// English while the program's English translation is installed.
Language CurrentLanguage();

}  // namespace tovik
