#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "picture/PictureLoader.h"
#include "picture/PictureFileName.h"
#include "picture/PictureWriter.h"
#include "field/MersenneRandom.h"
#include "model/SimState.h"
#include "settings/SettingsStore.h"
#include "ui/MainWindow.h"
#include "ui/PictureArea.h"
#include "ui/Translations.h"

namespace tovik::test {

// The controls of a main window, found by their names as a user's script
// would find them.
struct Controls {
    explicit Controls(QWidget& window) : w(window) {}

    template <typename T>
    static T* Find(QObject& parent, const char* name) {
        T* found = parent.findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    template <typename T>
    T* Get(const char* name) { return Find<T>(w, name); }

    QWidget& w;
    QPushButton *Command1 = Get<QPushButton>("Command1"), *Command2 = Get<QPushButton>("Command2"),
                *Command3 = Get<QPushButton>("Command3"), *Command4 = Get<QPushButton>("Command4"),
                *Command5 = Get<QPushButton>("Command5"), *Command6 = Get<QPushButton>("Command6"),
                *Command7 = Get<QPushButton>("Command7"), *Command8 = Get<QPushButton>("Command8");
    QLabel *Er = Get<QLabel>("Er"), *Ex = Get<QLabel>("Ex"), *Ey = Get<QLabel>("Ey");
    QSlider *sldrDraw = Get<QSlider>("sldrDraw"), *sldrCalc = Get<QSlider>("sldrCalc");
    QProgressBar* prBar = Get<QProgressBar>("prBar");
    PictureArea* pctMain = Get<PictureArea>("pctMain");
    QMenu* Menu = Get<QMenu>("Menu");
    QAction *mnCharge = Get<QAction>("mnCharge"), *mnClear = Get<QAction>("mnClear");
};

// The generator of "Пуск", telling each number it draws.
struct ObservedRandom : MersenneRandom {
    using MersenneRandom::MersenneRandom;
    float Rnd() override {
        ++draws;
        if (onDraw) onDraw(draws);
        return MersenneRandom::Rnd();
    }
    long draws = 0;
    std::function<void(long)> onDraw;
};

// A main window over its own state and a settings store in a temporary
// directory. Its services record errors, messages, "Выход" and beeps instead
// of acting on them; the file dialogs are answered by `chosen`, and "Пуск"
// draws its points from a generator with a fixed seed.
struct TestWindow {
    explicit TestWindow(bool create = true) {
        services.loadPicture = LoadPictureFile;
        services.savePicture = SavePictureFile;
        services.chooseFile = [this](QWidget*, const FileDialog::Request& r) {
            requests.push_back(r);
            return chosen;
        };
        services.showError = [this](QWidget*, const QString& m) { errors << m; };
        services.showWarning = [this](QWidget*, const QString& m) { warnings << m; };
        services.showMessage = [this](QWidget*, const QString&, const QString& text) { messages << text; };
        services.startProgram = [this](const QString& program) {
            started << program;
            return startSucceeds;
        };
        services.random = random;
        services.beep = [this] { ++beeps; };
        services.exit = [this] { ++exits; };
        if (create) Create();
    }
    // A shown window with `picture` in its drawing area.
    explicit TestWindow(const QImage& picture) : TestWindow() {
        window->show();
        window->ShowPicture(picture);
    }
    void Create() {
        window = std::make_unique<MainWindow>(state, *store, services);
        c = std::make_unique<Controls>(*window);
    }

    QTemporaryDir dir;
    SimState state;
    std::unique_ptr<SettingsStore> store = std::make_unique<SettingsStore>(dir.path());
    WindowServices services;
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<Controls> c;

    std::shared_ptr<ObservedRandom> random = std::make_shared<ObservedRandom>(20240607u);
    QString chosen;  // what the file dialogs answer; empty: cancelled
    std::vector<FileDialog::Request> requests;
    QStringList errors, warnings, messages, started;
    bool startSucceeds = true;
    int exits = 0;
    int beeps = 0;
};

// The windows speak `language` while this lives, Russian again after.
struct InLanguage {
    explicit InLanguage(Language language) { Switch(language); }
    ~InLanguage() { Switch(Language::Russian); }
    static void Switch(Language language) {
        EXPECT_TRUE(SetLanguage(language));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
    }
};

// A black drawing area with blue (positive) and red (negative) squares.
inline QImage Picture(std::initializer_list<std::pair<QRect, QRgb>> squares) {
    QImage img(781, 469, QImage::Format_RGB32);
    img.fill(Qt::black);
    for (const auto& [rect, colour] : squares)
        for (int y = rect.top(); y <= rect.bottom(); ++y)
            for (int x = rect.left(); x <= rect.right(); ++x) img.setPixel(x, y, colour);
    return img;
}

// Two squares of 21 x 21 pixels, blue and red, 300 pixels apart.
inline QImage Dipole() {
    return Picture({{{230, 224, 21, 21}, qRgb(0, 0, 255)}, {{530, 224, 21, 21}, qRgb(255, 0, 0)}});
}

// A blue disc of radius r and a blue ring of radii r0..r1 around the middle
// of the drawing area.
inline QImage Ring(int r0, int r1) {
    QImage img(781, 469, QImage::Format_RGB32);
    img.fill(Qt::black);
    for (int y = -r1; y <= r1; ++y)
        for (int x = -r1; x <= r1; ++x)
            if (x * x + y * y <= r1 * r1 && x * x + y * y >= r0 * r0) img.setPixel(390 + x, 234 + y, qRgb(0, 0, 255));
    return img;
}
inline QImage Disc() { return Ring(0, 20); }

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

}  // namespace tovik::test
