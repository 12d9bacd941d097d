#include "ui/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <memory>

namespace tovik {

QTranslator* InstallQtTranslations(const QString& directory) {
    auto* app = QCoreApplication::instance();
    if (!app) return nullptr;
    const QString folder =
        directory.isEmpty() ? QLibraryInfo::path(QLibraryInfo::TranslationsPath) : directory;
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QStringLiteral("qtbase_ru"), folder)) return nullptr;
    if (!QCoreApplication::installTranslator(translator.get())) return nullptr;
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    translator->setParent(app);
    return translator.release();
}

}  // namespace tovik
