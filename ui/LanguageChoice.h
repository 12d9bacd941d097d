#pragma once

#include <QObject>

class QAction;
class QMenu;

namespace tovik {

class SettingsStore;

// The item "English" of "Меню", checked while the windows speak English.
// Choosing it switches every window at once, without a restart, and the
// choice is remembered: the settings value "Language" holds "en" for English
// and "ru" for Russian; anything else, or nothing, reads as Russian, the
// default.
class LanguageChoice : public QObject {
    Q_OBJECT
public:
    static constexpr const char* LanguageKey = "Language";

    // Adds the item at the end of `menu` and switches to the stored language.
    LanguageChoice(QMenu& menu, SettingsStore& store);

    // Checks the item when English is in use: another window may have
    // switched the language.
    void Sync();

private:
    void Chosen(bool english);

    SettingsStore& store_;
    QAction* item_ = nullptr;
};

}  // namespace tovik
