#pragma once

#include <QString>

class QTranslator;

namespace tovik {

// Installs Qt's own Russian texts (qtbase_ru.qm, from the Debian package
// qt6-translations-l10n) into the running application, so that the file
// dialogs, the message boxes and the standard buttons speak the program's
// language. The file dialogs are then Qt's own, not the desktop's, which
// would speak the desktop's language. Looks in Qt's translations folder
// unless told another. Returns the installed translator, owned by the
// application, or nullptr when the file is missing or unreadable; then
// nothing changes.
QTranslator* InstallQtTranslations(const QString& directory = QString());

}  // namespace tovik
