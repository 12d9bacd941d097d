// tovik-render: the field lines of a picture without a window. It prepares
// the charge model as "Подготовка" does, covers the picture with field lines
// as "Пуск" does (or traces through given points), prints the read-outs of
// given points, and writes the result as BMP or PNG, as SVG and PDF vector
// pictures, and the lines as data (JSON, CSV) when asked.

#include <CLI/CLI.hpp>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "export/ExportScene.h"
#include "export/PictureExport.h"
#include "picture/DrawingArea.h"
#include "picture/FileName.h"
#include "picture/PictureLoader.h"
#include "picture/PictureWriter.h"
#include "app/render/HeadlessDriver.h"
#include "app/render/RenderMessages.h"
#include "app/render/RenderOptions.h"
#include "app/render/RenderViews.h"
#include "app/render/RenderExports.h"
#include "app/render/TerminalBar.h"
#include "model/NumberText.h"
#include "model/RunTimeError.h"
#include "tovik/Version.h"

namespace {

using namespace tovik;

// A bar on standard error while "Пуск" runs or a picture is written.
class TerminalProgress : public AutoTraceProgress {
public:
    explicit TerminalProgress(const char* unit = "squares") : bar_(unit) {}
    void SquaresDone(long done, long total) override { bar_.Show(done, total); }

private:
    TerminalBar bar_;
};

int Fail(int status, const std::string& message) {
    std::fprintf(stderr, "tovik-render: %s\n", message.c_str());
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    RenderOptions o;
    CLI::App cli;
    DescribeOptions(cli, o);
    try {
        cli.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return cli.exit(e);
    } catch (const CLI::ValidationError& e) {
        return Fail(render_exit::OutOfRange, e.what());  // a number beyond its type's range
    } catch (const CLI::ParseError& e) {
        return Fail(render_exit::Usage, e.what());
    }
    if (o.version) {
        std::printf("tovik-render %s\n", version::Text);
        return 0;
    }
    std::string problem;
    const int checked = CheckOptions(o, &problem);
    if (checked != 0) return Fail(checked, problem);

    // A write past a file-size limit then fails (EFBIG) and is reported.
    std::signal(SIGXFSZ, SIG_IGN);
    const std::vector<RenderExport> exports = VectorExports(o);
    // The text on vector pictures needs the fonts of a GUI application; it
    // never shows anything, so it needs no display either.
    if (!exports.empty()) qputenv("QT_QPA_PLATFORM", "offscreen");
    const std::unique_ptr<QCoreApplication> app = exports.empty()
                                                      ? std::make_unique<QCoreApplication>(argc, argv)
                                                      : std::make_unique<QGuiApplication>(argc, argv);

    QImage picture;
    // File names reach the file system byte for byte, whatever their encoding.
    const QByteArray input = QByteArray::fromStdString(o.picture), output = QByteArray::fromStdString(o.output);
    const PictureProblem unreadable = ReadNativePictureFile(input, &picture);
    if (unreadable != PictureProblem::None)
        return Fail(render_exit::Unreadable, PictureProblemText(unreadable, ShownFileName(input)));
    // A picture larger than the drawing area is cut, as in the window.
    const std::string cropNote = CropNote(picture.width(), picture.height());
    if (!cropNote.empty()) std::fprintf(stderr, "tovik-render: note: %s\n", cropNote.c_str());

    // A file that cannot be written is found before the run, not after it.
    if (!CheckExportTargets(o.exports, &problem) || !CheckExportTargets(exports, &problem))
        return Fail(render_exit::Unwritable, problem);

    const auto t0 = std::chrono::steady_clock::now();
    SimState state;
    HeadlessDriver driver(state, picture, o.driver);
    const std::vector<RenderOptions::Point> traces = ParsedPoints(o.traces);
    const std::vector<RenderOptions::Point> probes = ParsedPoints(o.probes);
    const bool showBar = !o.quiet && isatty(STDERR_FILENO);
    PreparationResult prepared;
    std::vector<ProbeReading> readings;
    FieldSummary field;
    std::shared_ptr<const FieldGrid> grid;
    try {
        prepared = driver.Prepare();
        field = AddFieldViews(state, driver.Drawing(), o.views, exports.empty() ? nullptr : &grid);
        if (!o.noLines) {
            if (traces.empty()) {
                TerminalProgress bar;
                driver.CoverWithLines(showBar ? &bar : nullptr);
            }
            for (const auto& p : traces) driver.Trace(p.x, p.y);
        }
        for (const auto& p : probes) readings.push_back(driver.Probe(p.x, p.y));
    } catch (const RunTimeError& e) {
        return Fail(render_exit::RunTime, std::string("run-time error: ") + RunTimeErrorKindName(e.kind()));
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();

    const auto unwritable = [](const QByteArray& name) {
        return Fail(render_exit::Unwritable, "cannot write the picture to '" + ShownFileName(name).toStdString() +
                                                 "': it is not a regular file, or the write failed");
    };
    if (!exports.empty()) {
        const ExportScene scene =
            BuildExportScene(ComposeDrawingArea(picture), grid.get(), o.views, driver.Drawn(), o.arrows,
                             {ShownFileName(input), "|E| (charge / px²)", "potential (charge / px)"});
        for (const RenderExport& e : exports) {
            TerminalProgress bar("lines");
            const QByteArray name = QByteArray::fromStdString(e.path);
            const ExportProgress progress = [&](long done, long total) { bar.SquaresDone(done, total); };
            if (WritePictureExport(scene, e.format, name, showBar ? progress : ExportProgress()) !=
                ExportOutcome::Written)
                return unwritable(name);
        }
    }
    QString error;
    const std::string rasterFormat = o.output.empty() ? "" : OutputFormat(o.output);
    if ((rasterFormat == "BMP" || rasterFormat == "PNG") &&
        !WriteNativePictureFile(driver.Drawing(), output, rasterFormat.c_str(), &error))
        return unwritable(output);

    LineDataHeader header = LineDataHeaderOf(state);
    header.stepLimit = o.driver.maxSteps;
    header.seed = o.driver.seed;
    header.width = picture.width();
    header.height = picture.height();
    header.picture = QFileInfo(ShownFileName(input)).fileName();
    header.levels = field.levels;
    if (!WriteExports(o.exports, {driver.Drawn(), header}, showBar, &problem))
        return Fail(render_exit::Unwritable, problem);

    std::printf("picture: %d x %d pixels\n", picture.width(), picture.height());
    if (!cropNote.empty()) std::printf("note: %s\n", cropNote.c_str());
    const ChargeModel& model = state.Charges();
    std::printf("area: left %d, top %d, right %d, bottom %d (cells of %d px)\n", model.AreaLeft, model.AreaTop,
                model.AreaRight, model.AreaBottom, state.CalcSpeed);
    std::printf("charged cells: %zu\n", driver.ChargedCells());
    std::printf("mean cell charge: %s\n", DoubleToText(prepared.mean).c_str());
    std::printf("lines traced: %ld, steps: %ld\n", driver.Lines(), driver.Steps());
    std::printf("seconds: %.3f\n", seconds);
    std::printf("%s\n", SummaryLine(field).c_str());
    for (std::size_t i = 0; i < probes.size(); ++i)
        std::printf("probe %s,%s: Ex %s, Ey %s, Er %s, potential %s\n", DoubleToText(probes[i].x).c_str(),
                    DoubleToText(probes[i].y).c_str(), readings[i].Ex.c_str(), readings[i].Ey.c_str(),
                    readings[i].Er.c_str(), PotentialText(state, probes[i].x, probes[i].y).c_str());
    if (!o.output.empty()) std::printf("written: %s\n", ShownFileName(output).toStdString().c_str());
    for (const RenderExport& e : exports)
        if (e.path != o.output)
            std::printf("written: %s\n", ShownFileName(QByteArray::fromStdString(e.path)).toStdString().c_str());
    for (const RenderExport& e : o.exports)
        std::printf("written: %s\n", ShownFileName(QByteArray::fromStdString(e.path)).toStdString().c_str());
    return 0;
}
