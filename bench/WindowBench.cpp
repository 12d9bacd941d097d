// tovik-window-bench: how fast the real main window traces a field line,
// covers the dipole with "Пуск" and prepares a fully charged picture, and how
// much memory the process holds, each figure next to the same work done by
// the core alone in the same run. scripts/bench.sh runs it once under an X
// server and once with the offscreen platform.
//
//   tovik-window-bench [--runs=N] [--point=X,Y]... [--dipole=FILE]
//
// --runs: runs per figure (median; "Пуск" takes a third of them, at least 3).
// --point: a pressed point of the tracing figures, pixels of the picture;
// by default (100, 150), whose line runs far off the picture and back (6342
// steps), and (390, 150), a short arc between the two discs (310 steps).

#include <QApplication>
#include <QGuiApplication>
#include <QImage>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <exception>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "app/PictureLoader.h"
#include "bench/CoreAlone.h"
#include "bench/TimedWindow.h"
#include "field/Geometry.h"
#include "model/SimState.h"
#include "settings/SettingsStore.h"
#include "ui/ErrorGuard.h"
#include "ui/MainWindow.h"
#include "ui/PictureArea.h"
#include "ui/WindowHost.h"

namespace tovik {
namespace {

using namespace bench;
// A field of /proc/self/status in MB of 10^6 bytes ("VmHWM:  81234 kB").
double ProcStatusMB(const std::string& field) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(field + ":", 0) == 0) return std::stod(line.substr(field.size() + 1)) * 1024.0 / 1e6;
    return 0;
}

std::string CpuModel() {
    std::ifstream in("/proc/cpuinfo");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("model name", 0) == 0) return line.substr(line.find(':') + 2);
    return "unknown CPU";
}

// ---- driving the window ----

QStringList g_errors;

void Settle(int ms = 40) { QTest::qWait(ms); }

bool Check(const char* what) {
    if (g_errors.isEmpty()) return true;
    std::fprintf(stderr, "%s failed: %s\n", what, qPrintable(g_errors.join("; ")));
    return false;
}

double ClickSeconds(QPushButton* b) {
    const double t0 = Now();
    b->click();
    return Now() - t0;
}

QImage FullyCharged() {
    QImage img(DrawingWidth, DrawingHeight, QImage::Format_RGB32);
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> channel(0, 255);
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            const int r = channel(rng), g = channel(rng);
            int b = channel(rng);
            if (b == r) b = (r + 1) % 256;
            img.setPixel(x, y, qRgb(r, g, b));
        }
    }
    return img;
}

// ---- the table ----

struct Row {
    std::string figure, window, alone, ratio, target, met;
};
std::vector<Row> g_rows;

std::string Fmt(const char* f, double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, f, v);
    return buf;
}

std::string PerStep(const Split& s) {
    const double k = 1e6 / std::max(1L, s.steps);
    char buf[200];
    std::snprintf(buf, sizeof buf, "eval %.2f, draw %.2f, yield %.2f, slider handler %.2f, rest %.2f µs/step",
                  s.evaluation * k, s.drawing * k, s.yield * k, s.slider * k, s.rest() * k);
    return buf;
}

void PrintTable(const std::string& platform, int runs) {
    std::printf("\n### Window benchmarks: %s platform\n\n", platform.c_str());
    std::printf("CPU: %s, %u cores. Medians of %d runs (\"Пуск\": %d).\n\n", CpuModel().c_str(),
                std::thread::hardware_concurrency(), runs, std::max(3, runs / 3));
    std::printf("| Figure | Window | Core alone (floor) | Window / floor | Target | Met |\n");
    std::printf("|---|---|---|---|---|---|\n");
    for (const Row& r : g_rows)
        std::printf("| %s | %s | %s | %s | %s | %s |\n", r.figure.c_str(), r.window.c_str(), r.alone.c_str(),
                    r.ratio.c_str(), r.target.c_str(), r.met.c_str());
    std::fflush(stdout);
}

// ---- the figures ----

struct Options {
    int runs = 9;
    std::vector<std::pair<float, float>> points{{100.0f, 150.0f}, {390.0f, 150.0f}};
    bool pointGiven = false;
    QString dipole = QStringLiteral(TOVIK_SOURCE_DIR "/examples/dipole.bmp");
};

bool PreparationFigures(MainWindow& w, const Options& o, double peakAtStart) {
    const QImage full = FullyCharged();
    w.pctMain->setPicture(full);
    MainWindow::SetSliderPosition(w.sldrCalc, 5);
    std::vector<double> inWindow, alone;
    std::vector<PrepSplit> splits;
    for (int k = 0; k < o.runs; ++k) {
        Settle();
        inWindow.push_back(ClickSeconds(w.Command3));
        if (!Check("Preparation in the window")) return false;
    }
    const double peakAfter = ProcStatusMB("VmHWM");
    for (int k = 0; k < o.runs; ++k) {
        Settle();
        splits.push_back(PrepareInWindow(w));
    }
    std::sort(splits.begin(), splits.end(), [](const PrepSplit& a, const PrepSplit& b) { return a.total < b.total; });
    const PrepSplit& mid = splits[splits.size() / 2];
    Settle();
    w.pctMain_MouseMove(0, 0, -1, -1);  // the first field sum over all its cells
    const double peakAfterField = ProcStatusMB("VmHWM");
    if (!Check("the probe")) return false;

    auto s = std::make_unique<SimState>();
    CopyParameters(w.state(), *s);
    for (int k = 0; k < o.runs; ++k) alone.push_back(PrepareAlone(*s, w.pctMain->picture(), 5));

    const double win = Median(inWindow) * 1e3, core = Median(alone) * 1e3;
    g_rows.push_back({"Preparation, 781 x 469 fully charged, CalcSpeed 1 (ms)", Fmt("%.2f", win), Fmt("%.2f", core),
                      Fmt("%.2f", win / core), "< 20 ms", win < 20 ? "yes" : "NO"});
    g_rows.push_back({"... same Preparation timed: " + Fmt("%.2f", mid.total * 1e3) + " ms",
                      "controls " + Fmt("%.2f", mid.controls * 1e3) + " (progress bar " +
                          Fmt("%.2f", mid.progress * 1e3) + "), settings " + Fmt("%.2f", mid.settings * 1e3) +
                          ", yield " + Fmt("%.2f", mid.yield * 1e3) + ", rest " + Fmt("%.2f", mid.rest() * 1e3) + " ms",
                      "", "", "", ""});
    g_rows.push_back({"Peak memory VmHWM after that Preparation (MB); floor: right after the window was created",
                      Fmt("%.1f", peakAfter), Fmt("%.1f", peakAtStart), Fmt("%.2f", peakAfter / peakAtStart),
                      "< 150 MB", peakAfter < 150 ? "yes" : "NO"});
    g_rows.push_back({"Peak memory after the first field sum over that picture (MB)", Fmt("%.1f", peakAfterField),
                      Fmt("%.1f", peakAtStart), Fmt("%.2f", peakAfterField / peakAtStart), "", ""});
    return true;
}

// One click at (x, y) in the prepared window: the real click, the same click
// through the timed tracer, and the same trace by the core alone.
bool ClickFigures(MainWindow& w, const Options& o, SimState& alone, float x, float y) {
    const QPoint at(static_cast<int>(x) + PictureArea::Border, static_cast<int>(y) + PictureArea::Border);
    std::vector<double> clicks, floor;
    std::vector<Split> splits;
    long steps = 0;
    for (int k = 0; k < o.runs; ++k) {
        w.pctMain->clearDrawings();
        Settle();
        const double t0 = Now();
        QTest::mouseClick(w.pctMain, Qt::LeftButton, Qt::NoModifier, at);
        clicks.push_back(Now() - t0);
        if (!Check("the click")) return false;
        w.pctMain->clearDrawings();
        Settle();
        splits.push_back(TraceInWindow(w, false, x, y));
        if (!Check("the traced click")) return false;
        const Run r = TraceAlone(alone, x, y, 10);
        floor.push_back(r.seconds);
        steps = r.steps;
    }
    std::sort(splits.begin(), splits.end(), [](const Split& a, const Split& b) { return a.total < b.total; });
    const Split& mid = splits[splits.size() / 2];
    if (mid.steps != steps) std::fprintf(stderr, "note: %ld steps in the window, %ld alone\n", mid.steps, steps);

    const double click = steps / Median(clicks), core = steps / Median(floor);
    const int calcSpeed = w.state().CalcSpeed;
    const std::string what = "Tracing, dipole CalcSpeed " + std::to_string(calcSpeed) + ", DrawSpeed 1, click (" +
                             Fmt("%.0f", x) + ", " + Fmt("%.0f", y) + "), " + std::to_string(steps) + " steps";
    const bool targeted = calcSpeed == 8;
    g_rows.push_back({what + " (steps/s)", Fmt("%.0f", click), Fmt("%.0f", core), Fmt("%.3f", click / core),
                      targeted ? ">= 100000 steps/s" : "", targeted ? (click >= 100000 ? "yes" : "NO") : ""});
    g_rows.push_back({"... same click traced with timing: " + Fmt("%.0f", mid.steps / mid.total) + " steps/s",
                      PerStep(mid), "total " + Fmt("%.2f", Median(floor) * 1e6 / std::max(1L, steps)) + " µs/step",
                      "", "", ""});
    return true;
}

bool TracingFigures(MainWindow& w, const Options& o, const QImage& dipole, int calcSlider) {
    w.pctMain->setPicture(dipole);
    MainWindow::SetSliderPosition(w.sldrCalc, calcSlider);
    MainWindow::SetSliderPosition(w.sldrDraw, 10);  // DrawSpeed 1
    Settle();
    w.Command3->click();
    if (!Check("Preparation of the dipole")) return false;

    auto s = std::make_unique<SimState>();
    CopyParameters(w.state(), *s);
    PrepareAlone(*s, w.pctMain->picture(), calcSlider);
    for (const auto& [x, y] : o.points)
        if (!ClickFigures(w, o, *s, x, y)) return false;
    return true;
}

bool StartFigures(MainWindow& w, const Options& o, const QImage& dipole) {
    w.pctMain->setPicture(dipole);
    // The defaults of a first start.
    MainWindow::SetSliderPosition(w.sldrCalc, 2);
    MainWindow::SetSliderPosition(w.sldrDraw, 7);
    w.state().TimeLimit = 10;
    w.state().MaxTension = 5000;
    w.state().PartDimmension = 25;
    w.state().MaxCharge = 1000;
    w.host().setRandomSource(std::make_unique<FixedSeedRandom>());
    w.host().setBeep([] {});
    Settle();
    w.Command3->click();
    if (!Check("Preparation of the dipole")) return false;

    auto s = std::make_unique<SimState>();
    CopyParameters(w.state(), *s);
    PrepareAlone(*s, w.pctMain->picture(), 2);

    const int runs = std::max(3, o.runs / 3);
    std::vector<double> inWindow, alone;
    long steps = 0;
    for (int k = 0; k < runs; ++k) {
        w.pctMain->clearDrawings();
        Settle();
        inWindow.push_back(ClickSeconds(w.Command2));
        if (!Check("\"Пуск\"")) return false;
        const Run r = StartAlone(*s, 7);
        alone.push_back(r.seconds);
        steps = r.steps;
    }
    w.pctMain->clearDrawings();
    Settle();
    const Split traced = TraceInWindow(w, true, 0, 0);
    if (!Check("the traced \"Пуск\"")) return false;

    const double win = Median(inWindow), core = Median(alone), ratio = win / core;
    g_rows.push_back({"\"Пуск\", dipole, defaults, fixed seed, " + std::to_string(steps) + " steps (s)",
                      Fmt("%.3f", win), Fmt("%.3f", core), Fmt("%.2f", ratio), "<= 4 s and <= 10 x floor",
                      win <= 4 && ratio <= 10 ? "yes" : "NO"});
    g_rows.push_back({"... same \"Пуск\" traced with timing: " + Fmt("%.3f", traced.total) + " s",
                      PerStep(traced), "total " + Fmt("%.2f", core * 1e6 / std::max(1L, steps)) + " µs/step", "",
                      "", ""});
    return true;
}

bool ParseOptions(int argc, char** argv, Options& o) {
    for (int k = 1; k < argc; ++k) {
        const std::string a = argv[k];
        if (a.rfind("--runs=", 0) == 0) {
            int runs = 0;
            if (std::sscanf(a.c_str() + 7, "%d", &runs) != 1 || runs < 1) return false;
            o.runs = runs;
        } else if (a.rfind("--point=", 0) == 0) {
            float x, y;
            if (std::sscanf(a.c_str() + 8, "%f,%f", &x, &y) != 2) return false;
            if (!o.pointGiven) o.points.clear();
            o.pointGiven = true;
            o.points.emplace_back(x, y);
        } else if (a.rfind("--dipole=", 0) == 0) {
            o.dipole = QString::fromStdString(a.substr(9));
        } else {
            return false;
        }
    }
    return true;
}

}  // namespace
}  // namespace tovik

int main(int argc, char** argv) {
    using namespace tovik;
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName("tovik-window-bench");
    Options o;
    if (!ParseOptions(argc, argv, o)) {
        std::fprintf(stderr, "usage: tovik-window-bench [--runs=N] [--point=X,Y]... [--dipole=FILE]\n");
        return 2;
    }
    SetErrorPresenter([](QWidget*, const QString& m) { g_errors << m; });

    QImage dipole;
    QString error;
    if (!LoadPictureFile(o.dipole, &dipole, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }

    // A settings store of its own, so the user's settings stay untouched.
    QTemporaryDir settingsDir;
    ZeroVector = FieldVector{0, 0};
    static SimState state;
    SettingsStore store(settingsDir.path());
    MainWindow window(state, store);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) {
        std::fprintf(stderr, "the window was never shown\n");
        return 1;
    }
    Settle(200);
    const double peakAtStart = ProcStatusMB("VmHWM");

    bool ok = false;
    try {
        ok = PreparationFigures(window, o, peakAtStart) && TracingFigures(window, o, dipole, 2) &&
             TracingFigures(window, o, dipole, 5) && StartFigures(window, o, dipole);
    } catch (const std::exception& e) {
        // The timed runs call the handlers directly, outside the window's guard.
        std::fprintf(stderr, "failed: %s\n", e.what());
    }
    PrintTable(QGuiApplication::platformName().toStdString(), o.runs);
    return ok ? 0 : 1;
}
