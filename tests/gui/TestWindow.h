#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <initializer_list>
#include <utility>
#include <memory>
#include <string>
#include <vector>

#include "app/PictureLoader.h"
#include "app/PictureWriter.h"
#include "field/AutoTracer.h"
#include "model/SimState.h"
#include "settings/SettingsStore.h"
#include "ui/MainWindow.h"
#include "ui/PictureArea.h"

namespace tovik::test {

// The controls of a main window, found by their names as a user's script
// would find them.
struct Controls {
    explicit Controls(QWidget& w)
        : Command1(Find<QPushButton>(w, "Command1")),
          Command2(Find<QPushButton>(w, "Command2")),
          Command3(Find<QPushButton>(w, "Command3")),
          Command4(Find<QPushButton>(w, "Command4")),
          Command5(Find<QPushButton>(w, "Command5")),
          Command6(Find<QPushButton>(w, "Command6")),
          Command7(Find<QPushButton>(w, "Command7")),
          Command8(Find<QPushButton>(w, "Command8")),
          Er(Find<QLabel>(w, "Er")),
          Ex(Find<QLabel>(w, "Ex")),
          Ey(Find<QLabel>(w, "Ey")),
          sldrDraw(Find<QSlider>(w, "sldrDraw")),
          sldrCalc(Find<QSlider>(w, "sldrCalc")),
          prBar(Find<QProgressBar>(w, "prBar")),
          pctMain(Find<PictureArea>(w, "pctMain")),
          Menu(Find<QMenu>(w, "Menu")),
          mnCharge(Find<QAction>(w, "mnCharge")),
          mnClear(Find<QAction>(w, "mnClear")),
          mnLines(Find<QAction>(w, "mnLines")) {}

    template <typename T>
    static T* Find(QObject& parent, const char* name) {
        T* found = parent.findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    QPushButton *Command1, *Command2, *Command3, *Command4, *Command5, *Command6, *Command7, *Command8;
    QLabel *Er, *Ex, *Ey;
    QSlider *sldrDraw, *sldrCalc;
    QProgressBar* prBar;
    PictureArea* pctMain;
    QMenu* Menu;
    QAction *mnCharge, *mnClear, *mnLines;
};

// A main window over its own state and a settings store in a temporary
// directory. Its services record errors, messages, "Выход" and beeps instead
// of acting on them; the file dialogs are answered by `chosen`, and "Пуск"
// draws its points from a generator with a fixed seed.
struct TestWindow {
    explicit TestWindow(bool create = true) {
        services.loadPicture = LoadPictureFile;
        services.savePicture = [](const QImage& image, const QString& path, QString* error) {
            return WritePictureFile(image, path, "BMP", error);
        };
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
        services.random = std::make_shared<MersenneRandom>(20240607u);
        services.beep = [this] { ++beeps; };
        services.exit = [this] { ++exits; };
        if (create) Create();
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

    QString chosen;  // what the file dialogs answer; empty: cancelled
    std::vector<FileDialog::Request> requests;
    QStringList errors, warnings, messages, started;
    bool startSucceeds = true;
    int exits = 0;
    int beeps = 0;
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

}  // namespace tovik::test
