#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <memory>
#include <string>
#include <vector>

#include "model/SimState.h"
#include "settings/SettingsStore.h"
#include "ui/ErrorGuard.h"
#include "ui/MainWindow.h"

namespace tovik::test {

// A main window over its own state and a settings store in a temporary
// directory, with "Выход" and error messages recorded instead of acted on.
struct TestWindow {
    explicit TestWindow(bool create = true) {
        SetErrorPresenter([this](QWidget*, const QString& m) { errors << m; });
        if (create) Create();
    }
    ~TestWindow() {
        window.reset();
        ResetErrorPresenter();
    }
    void Create() {
        window = std::make_unique<MainWindow>(state, *store);
        window->setExitHandler([this] { ++exits; });
    }

    QTemporaryDir dir;
    SimState state;
    std::unique_ptr<SettingsStore> store = std::make_unique<SettingsStore>(dir.path());
    std::unique_ptr<MainWindow> window;
    QStringList errors;
    int exits = 0;
};

// The user parameter of that name.
inline double Parameter(const SimState& s, const std::string& name) {
    if (name == "CalcSpeed") return s.CalcSpeed;
    if (name == "DrawSpeed") return s.DrawSpeed;
    if (name == "TimeLimit") return s.TimeLimit;
    if (name == "MaxTension") return s.MaxTension;
    if (name == "PartDimmension") return s.PartDimmension;
    return s.MaxCharge;
}

// The stored text of the program's value of that name; empty when not found.
inline std::string Stored(const SettingsStore& store, const char* name) {
    std::string text;
    store.GetKeyValue(KeyRoot::CurrentUser, SettingsStore::KeyPath, name, text);
    return text;
}

// The first `count` widgets that Tab reaches from `from` on, `from` first.
inline std::vector<QWidget*> TabChain(QWidget* from, std::size_t count) {
    std::vector<QWidget*> chain{from};
    for (QWidget* c = from->nextInFocusChain(); chain.size() < count && c; c = c->nextInFocusChain())
        if (c->focusPolicy() & Qt::TabFocus) chain.push_back(c);
    return chain;
}

// One control as the user sees it. A geometry with a position but no size
// stands for a control sized to its contents there; QRect() is not checked.
struct ControlRow {
    const char* name;
    const char* parent;
    QString text;  // of a button, label or text box; a group box's title
    QRect geometry;
    QString tooltip = {};
    bool enabled = true;
    bool visible = true;
};

inline void ExpectControl(const QWidget* c, const ControlRow& r) {
    SCOPED_TRACE(r.name);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->objectName(), r.name);
    EXPECT_EQ(c->parentWidget()->objectName(), r.parent);
    QString text;
    if (auto* b = qobject_cast<const QAbstractButton*>(c)) text = b->text();
    if (auto* l = qobject_cast<const QLabel*>(c)) text = l->text();
    if (auto* g = qobject_cast<const QGroupBox*>(c)) text = g->title();
    if (auto* e = qobject_cast<const QLineEdit*>(c)) text = e->text();
    EXPECT_EQ(text, r.text);
    if (r.geometry != QRect()) {
        EXPECT_EQ(c->geometry(), r.geometry.isEmpty() ? QRect(r.geometry.topLeft(), c->sizeHint()) : r.geometry);
    }
    EXPECT_EQ(c->toolTip(), r.tooltip);
    EXPECT_EQ(c->isEnabled(), r.enabled);
    EXPECT_EQ(c->isVisible(), r.visible);
}

inline void ExpectControls(const QWidget& window, std::initializer_list<ControlRow> rows) {
    for (const ControlRow& r : rows) ExpectControl(window.findChild<QWidget*>(r.name), r);
}

}  // namespace tovik::test
