#pragma once

#include <QTemporaryDir>
#include <memory>

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

}  // namespace tovik::test
