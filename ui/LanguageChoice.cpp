#include "ui/LanguageChoice.h"

#include <QAction>
#include <QMenu>
#include <string>

#include "settings/SettingsStore.h"
#include "ui/Translations.h"

namespace tovik {

LanguageChoice::LanguageChoice(QMenu& menu, SettingsStore& store) : QObject(&menu), store_(store) {
    setObjectName("LanguageChoice");
    // The language's own name, in either language.
    item_ = menu.addAction(QStringLiteral("English"));
    item_->setObjectName("mnEnglish");
    item_->setCheckable(true);
    std::string text;
    const bool english =
        store_.GetKeyValue(KeyRoot::CurrentUser, SettingsStore::KeyPath, LanguageKey, text) && text == "en";
    SetLanguage(english ? Language::English : Language::Russian);
    Sync();
    connect(item_, &QAction::triggered, this, &LanguageChoice::Chosen);
}

void LanguageChoice::Sync() { item_->setChecked(CurrentLanguage() == Language::English); }

void LanguageChoice::Chosen(bool english) {
    // A translation that cannot be loaded leaves the language and the item
    // as they were.
    SetLanguage(english ? Language::English : Language::Russian);
    Sync();
    store_.RegPrepare();
    store_.SetKeyValue(LanguageKey, CurrentLanguage() == Language::English ? "en" : "ru");
}

}  // namespace tovik
