#pragma once

#include <CLI/CLI.hpp>
#include <string>
#include <vector>

#include "app/render/HeadlessDriver.h"
#include "export/ExportFormat.h"
#include "picture/FieldViewPainter.h"

namespace tovik {

// Exit statuses of tovik-render.
namespace render_exit {
inline constexpr int Usage = 2;       // unknown or malformed option
inline constexpr int OutOfRange = 3;  // a value outside its range
inline constexpr int Unreadable = 4;  // the picture cannot be read
inline constexpr int Unwritable = 5;  // the output cannot be written
inline constexpr int RunTime = 6;     // a run-time error in the computation
}  // namespace render_exit

// Every core of the machine.
int DefaultThreads();

// A file to write besides OUTPUT: --json FILE, --csv FILE, ...
struct RenderExport {
    ExportFormat format;
    std::string path;
};

struct RenderOptions {
    struct Point {
        float x = 0;
        float y = 0;
    };

    std::string picture;
    std::string output;
    HeadlessDriver::Options driver;
    int cell = 8;
    int step = 4;
    long long square = 25;
    double timeLimit = 10;
    double maxField = 5000;
    double maxCharge = 1000;
    long long seed = 0;
    CLI::Option* seedOption = nullptr;
    bool version = false;
    long long maxSteps = 0;
    std::vector<std::string> traces;
    std::vector<std::string> probes;
    long long threads = DefaultThreads();
    bool noLines = false;
    int equipotentials = 0;
    std::string map = "none";
    FieldViewOptions views;  // filled by CheckOptions
    bool quiet = false;
    std::vector<RenderExport> exports;  // --json and --csv, in the order of their options' kinds
    std::vector<std::string> svgs;
    std::vector<std::string> pdfs;
    double arrows = 0;
};

// Declares the options, their help texts and the exit statuses on `cli`.
void DescribeOptions(CLI::App& cli, RenderOptions& options);

// Checks the parsed values and fills options.driver. Returns 0, or the exit
// status with a one-line reason.
int CheckOptions(RenderOptions& options, std::string* problem);

// The points of --trace or --probe, already checked by CheckOptions.
std::vector<RenderOptions::Point> ParsedPoints(const std::vector<std::string>& texts);

// "PNG", "SVG" or "PDF" for a name ending in .png, .svg or .pdf (any case),
// else "BMP".
const char* OutputFormat(const std::string& path);

// The vector pictures asked for: those of --svg and --pdf, and OUTPUT when
// its name ends in .svg or .pdf.
std::vector<RenderExport> VectorExports(const RenderOptions& options);

}  // namespace tovik
