// tovik-startup-bench: from the start of the program's process to the first
// paint of its main window, with the dipole and with the costliest metafile of
// the fuzz regressions (about 5 s of the decoder's CPU time) remembered as the
// last picture. Next to them, in the same run: no picture remembered, and the
// order of old, where the last picture was decoded before the window showed.
// Each figure is the median of --runs processes (11 by default).
//
//   tovik-startup-bench [--runs=N]
//
// Every run is this program started again as a child (--child=...), which
// builds the real main window over a settings store of its own and says when
// the window first paints.

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "model/SimState.h"
#include "picture/PictureLoader.h"
#include "settings/SettingsStore.h"
#include "ui/MainWindow.h"

namespace tovik {
namespace {

// Quits the application at the first paint of the watched window.
class FirstPaint : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->isWindow() && !done_) {
            done_ = true;
            std::printf("painted\n");
            std::fflush(stdout);
            QCoreApplication::exit(0);
        }
        return false;
    }

private:
    bool done_ = false;
};

// The child: the program's start with the store at `storeDir`; with
// `decodeFirst`, the last picture decoded before the window is made.
int Child(int argc, char** argv, const QString& storeDir, bool decodeFirst) {
    QApplication app(argc, argv);
    static SimState state;
    SettingsStore store(storeDir);
    QImage picture;
    if (decodeFirst) {
        std::string name;
        store.RegPrepare();
        if (store.GetKeyValue(KeyRoot::CurrentUser, SettingsStore::KeyPath, "FileName", name))
            LoadPictureFile(QString::fromStdString(name), &picture, nullptr);
        store.SetKeyValue("FileName", "");  // the window gets it from here
        store.ReleaseSettingsKey();
    }
    WindowServices services = WindowServices::Defaults();
    services.loadPicture = LoadPictureFile;
    services.showError = [](QWidget*, const QString&) {};
    MainWindow frmMain(state, store, services);
    if (!picture.isNull()) frmMain.ShowPicture(picture);
    FirstPaint watch;
    app.installEventFilter(&watch);
    frmMain.show();
    return app.exec();
}

// Milliseconds from starting a child to its first paint; < 0 on failure.
double OneRun(const QString& self, const QString& storeDir, bool decodeFirst) {
    QProcess child;
    child.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer clock;
    clock.start();
    child.start(self, {QStringLiteral("--child=") + storeDir, decodeFirst ? "--decode-first" : "--window-first"});
    while (child.waitForReadyRead(30000))
        if (child.readAll().contains("painted")) {
            const double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
            child.waitForFinished(15000);
            return ms;
        }
    child.kill();
    child.waitForFinished();
    return -1;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? -1 : v[v.size() / 2];
}

int Parent(const QString& self, int runs) {
    struct Case {
        const char* name;
        QString picture;  // empty: none remembered
    } cases[] = {
        {"no picture", QString()},
        {"dipole", QStringLiteral(TOVIK_SOURCE_DIR "/examples/dipole.bmp")},
        {"metafile of 5 s CPU", QStringLiteral(TOVIK_SOURCE_DIR "/fuzz/regressions/wmf-limits/takes-over-5-seconds.wmf")},
    };
    std::printf("Start-up to first paint, median of %d processes (ms)\n", runs);
    std::printf("%-26s %14s %22s\n", "last picture", "window first", "decoded first (old)");
    for (const Case& c : cases) {
        double figures[2];
        for (const bool decodeFirst : {false, true}) {
            std::vector<double> ms;
            for (int k = 0; k < runs; ++k) {
                QTemporaryDir dir;
                SettingsStore store(dir.path());
                store.RegPrepare();
                store.SetKeyValue("FileName", c.picture.toStdString());
                store.ReleaseSettingsKey();
                const double t = OneRun(self, dir.path(), decodeFirst);
                if (t < 0) {
                    std::fprintf(stderr, "%s: the window never painted\n", c.name);
                    return 1;
                }
                ms.push_back(t);
            }
            figures[decodeFirst] = Median(ms);
        }
        std::printf("%-26s %14.0f %22.0f\n", c.name, figures[0], figures[1]);
        std::fflush(stdout);
    }
    return 0;
}

}  // namespace
}  // namespace tovik

int main(int argc, char** argv) {
    int runs = 11;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a.rfind("--child=", 0) == 0)
            return tovik::Child(argc, argv, QString::fromStdString(a.substr(8)),
                                i + 1 < argc && std::string(argv[i + 1]) == "--decode-first");
        if (a.rfind("--runs=", 0) == 0) runs = std::max(1, std::stoi(a.substr(7)));
    }
    QCoreApplication app(argc, argv);
    return tovik::Parent(QCoreApplication::applicationFilePath(), runs);
}
