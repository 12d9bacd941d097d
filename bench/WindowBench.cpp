// tovik-window-bench: how fast the real main window prepares a fully charged
// picture, traces a field line and covers a picture with "Пуск", how quickly
// it answers events meanwhile, and how much memory the process holds, each
// figure next to the same work done by the core alone in the same run; and
// how tovik-render's "Пуск" scales with its threads.
// scripts/bench.sh runs it once under an X server and once with the
// offscreen platform.
//
//   tovik-window-bench [--runs=N] [--dipole=FILE]

#include <QApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <exception>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include "picture/PictureLoader.h"
#include "bench/CoreAlone.h"
#include "drawing/TracingDriver.h"
#include "model/SimState.h"
#include "settings/SettingsStore.h"
#include "ui/MainWindow.h"
#include "ui/PictureArea.h"
#include "ui/StartUp.h"

namespace tovik {
namespace {

using namespace bench;

constexpr std::uint32_t Seed = 20240607u;

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

std::string Fmt(const char* f, double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, f, v);
    return buf;
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

// One blue disc of radius 20 in the middle of the drawing area: a net charge.
QImage Disc() {
    QImage img(DrawingWidth, DrawingHeight, QImage::Format_RGB32);
    img.fill(Qt::black);
    for (int y = -20; y <= 20; ++y)
        for (int x = -20; x <= 20; ++x)
            if (x * x + y * y <= 400) img.setPixel(DrawingWidth / 2 + x, DrawingHeight / 2 + y, qRgb(0, 0, 255));
    return img;
}

// ---- the window ----

struct Window {
    Window() {
        WindowServices services = WindowServices::Defaults();
        services.loadPicture = LoadPictureFile;
        services.showError = [this](QWidget*, const QString& m) { errors << m; };
        services.random = std::make_shared<MersenneRandom>(Seed);
        services.beep = [] {};
        w = std::make_unique<MainWindow>(state, *store, services);
        calc = w->findChild<QSlider*>("sldrCalc");
        draw = w->findChild<QSlider*>("sldrDraw");
        prepare = w->findChild<QPushButton*>("Command3");
        start = w->findChild<QPushButton*>("Command2");
        area = w->findChild<PictureArea*>("pctMain");
    }
    bool Check(const char* what) {
        if (errors.isEmpty()) return true;
        std::fprintf(stderr, "%s failed: %s\n", what, qPrintable(errors.join("; ")));
        return false;
    }
    // The picture at the defaults of a first start, prepared.
    bool Prepare(const QImage& picture, int calcSlider, int drawSlider) {
        w->ShowPicture(picture);
        SetSliderQuietly(calc, calcSlider);
        SetSliderQuietly(draw, drawSlider);
        state.TimeLimit = 10;
        state.MaxTension = 5000;
        state.PartDimmension = 25;
        state.MaxCharge = 1000;
        Settle();
        prepare->click();
        return Check("Preparation");
    }
    static void Settle(int ms = 40) { QTest::qWait(ms); }

    QTemporaryDir dir;  // a settings store of its own
    std::unique_ptr<SettingsStore> store = std::make_unique<SettingsStore>(dir.path());
    SimState state;
    std::unique_ptr<MainWindow> w;
    QSlider *calc = nullptr, *draw = nullptr;
    QPushButton *prepare = nullptr, *start = nullptr;
    PictureArea* area = nullptr;
    QStringList errors;
};

// ---- the table ----

struct Row {
    std::string figure, window, alone, ratio, target, met;
};
std::vector<Row> g_rows;

void PrintTable(const std::string& platform, int runs) {
    std::printf("\n### Window benchmarks: %s platform\n\n", platform.c_str());
    std::printf("CPU: %s, %u cores. Medians of %d runs (\"Пуск\": %d).\n\n", CpuModel().c_str(),
                std::thread::hardware_concurrency(), runs, std::max(3, runs / 3));
    std::printf("| Figure | Window | Core alone (same run) | Window / core | Target | Met |\n");
    std::printf("|---|---|---|---|---|---|\n");
    for (const Row& r : g_rows)
        std::printf("| %s | %s | %s | %s | %s | %s |\n", r.figure.c_str(), r.window.c_str(), r.alone.c_str(),
                    r.ratio.c_str(), r.target.c_str(), r.met.c_str());
    std::fflush(stdout);
}

// ---- the figures ----

struct Options {
    int runs = 9;
    QString dipole = QStringLiteral(TOVIK_SOURCE_DIR "/examples/dipole.bmp");
};

bool PreparationFigures(Window& win, const Options& o, double peakAtStart) {
    if (!win.Prepare(FullyCharged(), 5, 7)) return false;
    std::vector<double> inWindow, alone;
    for (int k = 0; k < o.runs; ++k) {
        Window::Settle();
        const double t0 = Now();
        win.prepare->click();
        inWindow.push_back(Now() - t0);
        if (!win.Check("Preparation in the window")) return false;
    }
    const double peakAfter = ProcStatusMB("VmHWM");
    auto s = std::make_unique<SimState>();
    CopyParameters(win.state, *s);
    for (int k = 0; k < o.runs; ++k) alone.push_back(PrepareAlone(*s, win.w->Drawing(), 1));
    const double w = Median(inWindow) * 1e3, c = Median(alone) * 1e3;
    g_rows.push_back({"Preparation, 781 x 469 fully charged, CalcSpeed 1 (ms)", Fmt("%.2f", w), Fmt("%.2f", c),
                      Fmt("%.2f", w / c), "< 20 ms", w < 20 ? "yes" : "NO"});
    g_rows.push_back({"Peak memory VmHWM after that Preparation (MB); core column: right after the window opened",
                      Fmt("%.1f", peakAfter), Fmt("%.1f", peakAtStart), Fmt("%.2f", peakAfter / peakAtStart),
                      "< 150 MB", peakAfter < 150 ? "yes" : "NO"});
    return true;
}

// Clicks at (x, y) in the prepared window, against the same trace by the core.
bool ClickFigures(Window& win, const Options& o, float x, float y, double target) {
    auto s = std::make_unique<SimState>();
    CopyParameters(win.state, *s);
    PrepareAlone(*s, win.area->picture(), win.state.CalcSpeed);
    const QPoint at(static_cast<int>(x) + PictureArea::Border, static_cast<int>(y) + PictureArea::Border);
    std::vector<double> clicks, floor;
    long steps = 0;
    for (int k = 0; k < o.runs; ++k) {
        win.area->clearDrawings();
        Window::Settle();
        const double t0 = Now();
        QTest::mouseClick(win.area, Qt::LeftButton, Qt::NoModifier, at);
        clicks.push_back(Now() - t0);
        if (!win.Check("the click")) return false;
        const Run r = TraceAlone(*s, x, y, win.draw->value());
        floor.push_back(r.seconds);
        steps = r.steps;
    }
    const double w = steps / Median(clicks), c = steps / Median(floor);
    const std::string what = "Tracing, dipole, CalcSpeed " + std::to_string(win.state.CalcSpeed) +
                             ", DrawSpeed 1, click (" + Fmt("%.0f", x) + ", " + Fmt("%.0f", y) + "), " +
                             std::to_string(steps) + " steps (steps/s)";
    g_rows.push_back({what, Fmt("%.0f", w), Fmt("%.0f", c), Fmt("%.3f", w / c),
                      target > 0 ? ">= " + Fmt("%.0f", target) + " steps/s" : "",
                      target > 0 ? (w >= target ? "yes" : "NO") : ""});
    return true;
}

bool TracingFigures(Window& win, const Options& o, const QImage& dipole) {
    if (!win.Prepare(dipole, 2, 10)) return false;
    if (!ClickFigures(win, o, 100, 150, 2000000) || !ClickFigures(win, o, 390, 150, 0)) return false;
    if (!win.Prepare(dipole, 5, 10)) return false;
    return ClickFigures(win, o, 100, 150, 0);
}

// The gaps between two passes of the event loop during a run (a zero timer
// fires once a pass), and the delays of pointer moves posted by another
// thread every few milliseconds until they are handled.
struct Responsiveness {
    explicit Responsiveness(PictureArea* area) : area(area) {
        connect();
        for (int k = 0; k < Moves; ++k)
            moves.push_back(new QMouseEvent(QEvent::MouseMove, PointOf(k), PointOf(k), Qt::NoButton, Qt::NoButton,
                                            Qt::NoModifier));
        posted.assign(Moves, 0);
    }
    ~Responsiveness() {
        for (std::size_t k = sent; k < moves.size(); ++k) delete moves[k];
    }
    void connect() {
        pass.setInterval(0);
        QObject::connect(&pass, &QTimer::timeout, [this] {
            const double t = Now();
            if (last > 0) gaps.push_back(t - last);
            last = t;
        });
        filter = std::make_unique<Filter>(*this);
        area->installEventFilter(filter.get());
    }
    void Start() {
        pass.start();
        poster = std::thread([this] {
            for (std::size_t k = 0; k < moves.size() && !done; ++k) {
                std::this_thread::sleep_for(std::chrono::microseconds(4700));
                posted[k] = Now();
                QCoreApplication::postEvent(area, moves[k]);
                sent = k + 1;
            }
        });
    }
    void Stop() {
        done = true;
        poster.join();
        pass.stop();
        area->removeEventFilter(filter.get());
        QCoreApplication::removePostedEvents(area, QEvent::MouseMove);
    }
    // The k-th move goes to a point of its own, so that a move the window
    // system makes up meanwhile is not taken for one of ours.
    static QPointF PointOf(int k) { return QPointF(300 + k % 100, 150 + k / 100); }
    struct Filter : QObject {
        explicit Filter(Responsiveness& r) : r(r) {}
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() != QEvent::MouseMove) return false;
            const QPointF p = static_cast<QMouseEvent*>(e)->position();
            const int k = static_cast<int>(p.y() - 150) * 100 + static_cast<int>(p.x() - 300);
            if (p.x() >= 300 && p.x() < 400 && p.y() >= 150 && k >= 0 && static_cast<std::size_t>(k) < r.sent)
                r.delays.push_back(Now() - r.posted[k]);
            return false;
        }
        Responsiveness& r;
    };

    static constexpr int Moves = 2000;
    PictureArea* area;
    QTimer pass;
    double last = 0;
    std::vector<double> gaps, delays;
    std::vector<QMouseEvent*> moves;
    std::vector<double> posted;
    std::atomic<std::size_t> sent{0};
    std::atomic<bool> done{false};
    std::thread poster;
    std::unique_ptr<Filter> filter;
};

bool StartFigures(Window& win, const Options& o, const QImage& picture, const std::string& name, bool respond,
                  double target) {
    if (!win.Prepare(picture, 2, 7)) return false;
    auto s = std::make_unique<SimState>();
    CopyParameters(win.state, *s);
    PrepareAlone(*s, win.area->picture(), win.state.CalcSpeed);
    const int runs = std::max(3, o.runs / 3);
    std::vector<double> inWindow, alone;
    long steps = 0;
    for (int k = 0; k < runs; ++k) {
        win.area->clearDrawings();
        Window::Settle();
        const double t0 = Now();
        win.start->click();
        inWindow.push_back(Now() - t0);
        if (!win.Check("\"Пуск\"")) return false;
        const Run r = StartAlone(*s, 7, Seed);
        alone.push_back(r.seconds);
        steps = r.steps;
    }
    const double w = Median(inWindow), c = Median(alone), ratio = w / c;
    g_rows.push_back({"\"Пуск\", " + name + ", defaults, fixed seed, " + std::to_string(steps) +
                          " steps, window on " + std::to_string(win.w->tracing().Threads()) +
                          " threads, core alone on one (s)",
                      Fmt("%.3f", w), Fmt("%.3f", c), Fmt("%.2f", ratio), "<= " + Fmt("%.2f", target) + " x core",
                      ratio <= target ? "yes" : "NO"});
    if (!respond) return true;

    win.area->clearDrawings();
    Window::Settle();
    Responsiveness r(win.area);
    r.Start();
    win.start->click();
    r.Stop();
    const double p999 = Quantile(r.gaps, 0.999) * 1e3, most = Quantile(r.gaps, 1.0) * 1e3;
    g_rows.push_back({"... during it: gap between two event-loop passes, 99.9th percentile / largest (ms), " +
                          std::to_string(r.gaps.size()) + " passes",
                      Fmt("%.3f", p999) + " / " + Fmt("%.3f", most), "", "", "<= 2 ms / <= 20 ms",
                      p999 <= 2 && most <= 20 ? "yes" : "NO"});
    g_rows.push_back({"... during it: pointer move posted to handled, median / 99.9th percentile / largest (ms), " +
                          std::to_string(r.delays.size()) + " moves",
                      Fmt("%.3f", Median(r.delays) * 1e3) + " / " + Fmt("%.3f", Quantile(r.delays, 0.999) * 1e3) +
                          " / " + Fmt("%.3f", Quantile(r.delays, 1.0) * 1e3),
                      "", "", "<= 2 ms", Quantile(r.delays, 0.999) * 1e3 <= 2 ? "yes" : "NO"});
    return true;
}

// One run of tovik-render: its wall time, its peak memory and the steps it
// reports.
struct RenderRun {
    double seconds = 0;
    double peakMB = 0;
    long steps = 0;
};

bool Render(const std::string& picture, int threads, RenderRun& run) {
    const std::string program = QCoreApplication::applicationDirPath().toStdString() + "/../tovik-render";
    const std::string out = picture + ".out.bmp", log = picture + ".log", t = std::to_string(threads);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const char* argv[] = {program.c_str(), picture.c_str(), out.c_str(), "--seed", "1", "-q", "--threads",
                          t.c_str(), nullptr};
    pid_t pid = 0;
    const double t0 = Now();
    const int failed = posix_spawn(&pid, program.c_str(), &actions, nullptr, const_cast<char**>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0) return false;
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return false;
    run.seconds = Now() - t0;
    run.peakMB = usage.ru_maxrss * 1024.0 / 1e6;
    std::ifstream in(log);
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("lines traced:", 0) == 0) run.steps = std::stol(line.substr(line.find("steps:") + 6));
    return true;
}

// tovik-render's "Пуск" of the disc on 1, 2 and 4 threads.
bool RendererFigures(const QImage& disc) {
    QTemporaryDir dir;
    const std::string picture = dir.filePath("disc.bmp").toStdString();
    if (!disc.save(QString::fromStdString(picture), "BMP")) return false;
    RenderRun one;
    if (!Render(picture, 1, one)) return false;
    for (const int threads : {1, 2, 4}) {
        RenderRun r;
        if (!Render(picture, threads, r)) return false;
        const double ratio = r.seconds / one.seconds;
        const std::string target = threads == 2 ? "<= 0.55 x one thread" : "";
        g_rows.push_back({"tovik-render \"Пуск\", blue disc r = 20, --threads " + std::to_string(threads) +
                              ": seconds, steps/s, peak memory (MB); baseline --threads 1",
                          Fmt("%.2f s", r.seconds) + ", " + Fmt("%.3g", r.steps / r.seconds) + ", " +
                              Fmt("%.1f MB", r.peakMB),
                          Fmt("%.2f s", one.seconds) + ", " + Fmt("%.3g", one.steps / one.seconds) + ", " +
                              Fmt("%.1f MB", one.peakMB),
                          Fmt("%.2f", ratio), target,
                          threads == 2 ? (ratio <= 0.55 && r.peakMB <= one.peakMB + 64 ? "yes" : "NO") : ""});
    }
    return true;
}

bool ParseOptions(int argc, char** argv, Options& o) {
    for (int k = 1; k < argc; ++k) {
        const std::string a = argv[k];
        if (a.rfind("--runs=", 0) == 0) {
            int runs = 0;
            if (std::sscanf(a.c_str() + 7, "%d", &runs) != 1 || runs < 1) return false;
            o.runs = runs;
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
        std::fprintf(stderr, "usage: tovik-window-bench [--runs=N] [--dipole=FILE]\n");
        return 2;
    }
    QImage dipole;
    QString error;
    if (!LoadPictureFile(o.dipole, &dipole, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    Window win;
    win.w->show();
    if (!QTest::qWaitForWindowExposed(win.w.get())) {
        std::fprintf(stderr, "the window was never shown\n");
        return 1;
    }
    Window::Settle(200);
    const double peakAtStart = ProcStatusMB("VmHWM");

    bool ok = false;
    try {
        ok = PreparationFigures(win, o, peakAtStart) && TracingFigures(win, o, dipole) &&
             StartFigures(win, o, dipole, "dipole", true, 1.0) &&
             StartFigures(win, o, Disc(), "blue disc r = 20", true, 0.6) && RendererFigures(Disc());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "failed: %s\n", e.what());
    }
    PrintTable(QGuiApplication::platformName().toStdString(), o.runs);
    return ok ? 0 : 1;
}
