#include "ui/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <memory>

namespace tovik {

namespace {

// The translators are children of the application, found by these names.
constexpr const char* QtRussianName = "qtbase_ru";
constexpr const char* EnglishName = "tovik_en";
// Where the build puts the compiled English translation.
constexpr const char* EnglishFile = ":/translations/tovik_en.qm";

QTranslator* Installed(const char* name) {
    auto* app = QCoreApplication::instance();
    return app ? app->findChild<QTranslator*>(QLatin1String(name), Qt::FindDirectChildrenOnly) : nullptr;
}

}  // namespace

QTranslator* InstallQtTranslations(const QString& directory) {
    auto* app = QCoreApplication::instance();
    if (!app) return nullptr;
    const QString folder =
        directory.isEmpty() ? QLibraryInfo::path(QLibraryInfo::TranslationsPath) : directory;
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QLatin1String(QtRussianName), folder)) return nullptr;
    if (!QCoreApplication::installTranslator(translator.get())) return nullptr;
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    translator->setObjectName(QLatin1String(QtRussianName));
    translator->setParent(app);
    return translator.release();
}

bool SetLanguage(Language language) {
    auto* app = QCoreApplication::instance();
    if (!app || language == CurrentLanguage()) return app != nullptr;
    QTranslator* qtRussian = Installed(QtRussianName);
    if (language == Language::Russian) {
        delete Installed(EnglishName);  // a deleted translator uninstalls itself
        if (qtRussian) QCoreApplication::installTranslator(qtRussian);
        return true;
    }
    auto english = std::make_unique<QTranslator>();
    if (!english->load(QLatin1String(EnglishFile)) || !QCoreApplication::installTranslator(english.get()))
        return false;
    english->setObjectName(QLatin1String(EnglishName));
    english->setParent(app);
    english.release();
    // Kept, to be installed again with Russian.
    if (qtRussian) QCoreApplication::removeTranslator(qtRussian);
    return true;
}

Language CurrentLanguage() { return Installed(EnglishName) ? Language::English : Language::Russian; }

}  // namespace tovik
