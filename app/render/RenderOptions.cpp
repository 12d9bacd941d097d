#include "app/render/RenderOptions.h"


#include <algorithm>
#include <cctype>
#include <chrono>
#include <charconv>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <optional>
#include <thread>

namespace tovik {

namespace {

constexpr const char* Footer = R"(Without --trace the picture is covered with field lines as the window's
"Пуск" covers it: one random point in every whole square of --square pixels.
The same --seed gives the same points as "Пуск" with that seed.

Exit status:
  0  done
  2  unknown or malformed option
  3  a value outside its range
  4  the picture cannot be read
  5  the output cannot be written
  6  a run-time error (overflow, subscript out of range, division by zero,
     invalid floating-point operation) in the computation)";

// "X,Y" with two finite numbers.
std::optional<RenderOptions::Point> ParsePoint(const std::string& text) {
    const std::size_t comma = text.find(',');
    if (comma == std::string::npos) return std::nullopt;
    const auto number = [](const std::string& part) -> std::optional<float> {
        if (part.empty() || std::isspace(static_cast<unsigned char>(part.front()))) return std::nullopt;
        char* end = nullptr;
        const double v = std::strtod(part.c_str(), &end);
        if (*end != '\0' || !std::isfinite(v) || std::fabs(v) > FLT_MAX) return std::nullopt;
        return static_cast<float>(v);
    };
    const auto x = number(text.substr(0, comma));
    const auto y = number(text.substr(comma + 1));
    if (!x || !y) return std::nullopt;
    return RenderOptions::Point{*x, *y};
}

// Refuses the text of an integer option whose value lies beyond the range
// of T, instead of letting it saturate or wrap; a text that is no decimal
// integer is left to the option's conversion.
template <typename T>
CLI::Validator WithinTypeRange() {
    return CLI::Validator(
        [](std::string& text) -> std::string {
            const char* begin = text.c_str() + (text.size() > 1 && text[0] == '+' ? 1 : 0);
            const char* end = text.c_str() + text.size();
            T value{};
            const auto [stop, error] = std::from_chars(begin, end, value);
            if (stop != end || error != std::errc::result_out_of_range) return std::string();
            return text + " is out of the range of the option's type (" +
                   std::to_string(std::numeric_limits<T>::min()) + " to " +
                   std::to_string(std::numeric_limits<T>::max()) + ")";
        },
        "", "within the type's range");
}

std::uint32_t TimeOfDaySeed() {
    const auto ns = static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
    return static_cast<std::uint32_t>(ns ^ (ns >> 32));
}

}  // namespace

void DescribeOptions(CLI::App& cli, RenderOptions& o) {
    cli.name("tovik-render");
    cli.description("The electrostatic field of a picture and its field lines, without a window.");
    cli.footer(Footer);
    cli.add_flag("--version", o.version, "Print the version and end");
    cli.add_option("PICTURE", o.picture, "Picture to read: BMP, JPEG, GIF, PNG, WMF or EMF");
    cli.add_option("OUTPUT", o.output,
                   "Where to write the picture with its lines: PNG, SVG or PDF when the name ends in .png, "
                   ".svg or .pdf, else BMP; nothing is written without it");
    cli.add_option("--cell", o.cell, "Side of a charge cell in pixels: 1, 2, 4, 8, 16 or 32")
        ->capture_default_str()
        ->check(WithinTypeRange<int>());
    cli.add_option("--step", o.step, "Length of a tracing step in pixels, 1 to 10")
        ->capture_default_str()
        ->check(WithinTypeRange<int>());
    cli.add_option("--square", o.square, "Side in pixels of the squares that get one line each, at least 1")
        ->capture_default_str()
        ->check(WithinTypeRange<long long>());
    cli.add_option("--time-limit", o.timeLimit, "Seconds allowed for one branch of a line, above 0")
        ->capture_default_str();
    cli.add_option("--max-field", o.maxField, "Field strength up to which a line goes on, above 0")
        ->capture_default_str();
    cli.add_option("--max-charge", o.maxCharge, "Charge of a pure blue pixel (pure red has the negative)")
        ->capture_default_str();
    o.seedOption = cli.add_option("--seed", o.seed, "Seed of the random points, 0 to 4294967295 (default: the time of day)")
                       ->check(WithinTypeRange<long long>());
    cli.add_option("--max-steps", o.maxSteps,
                   "Steps allowed for one branch, instead of the time limit, so that the result does "
                   "not depend on the machine's speed")
        ->check(WithinTypeRange<long long>());
    cli.add_option("--trace", o.traces, "Trace the line through the point X,Y instead of covering the picture; "
                                        "may be given more than once")
        ->type_name("X,Y")
        ->allow_extra_args(false);
    cli.add_option("--probe", o.probes, "Print the field and the charge density at X,Y as the window shows "
                                        "them, and the potential; may be given more than once")
        ->type_name("X,Y")
        ->allow_extra_args(false);
    cli.add_option("--threads", o.threads,
                   "Threads that trace the lines of the squares, 1 to 256 (default: every core); the "
                   "picture is the same for any number")
        ->capture_default_str();
    cli.add_option("--equipotentials", o.equipotentials,
                   "Number of equipotential lines' levels, symmetric about 0, 0 to 100 (0: none)")
        ->capture_default_str();
    cli.add_option("--map", o.map, "Colour the uncharged pixels by the field: field (|E|, logarithmic), "
                                   "potential, or none")
        ->capture_default_str();
    cli.add_option("--svg", o.svgs, "Also write the picture with its lines and views as an SVG vector "
                                    "picture to FILE; may be given more than once")
        ->type_name("FILE")
        ->allow_extra_args(false);
    cli.add_option("--pdf", o.pdfs, "Also write it as a one-page PDF to FILE; may be given more than once")
        ->type_name("FILE")
        ->allow_extra_args(false);
    cli.add_option("--arrows", o.arrows, "In SVG and PDF, an arrow every PX pixels along each line, pointing "
                                         "along the field (from + to -); 0: none")
        ->type_name("PX")
        ->capture_default_str();
    cli.add_flag("--no-lines", o.noLines, "Only prepare the charge model (and probe); trace nothing");
    cli.add_flag("-q,--quiet", o.quiet, "No progress bar on standard error");
    const struct { const char* name; ExportFormat format; const char* help; } exports[] = {
        {"--json", ExportFormat::Json, "Write the lines as JSON: the parameters, every line's start and its "
                                       "branches' points, why each ended, and the equipotential levels"},
        {"--csv", ExportFormat::Csv, "Write the lines as CSV: one row per point (line, branch, step, x, y, Ex, Ey)"},
    };
    for (const auto& e : exports)
        cli.add_option_function<std::vector<std::string>>(
               e.name,
               [&o, format = e.format](const std::vector<std::string>& paths) {
                   for (const std::string& p : paths) o.exports.push_back({format, p});
               },
               std::string(e.help) + "; may be given more than once")
            ->type_name("FILE")
            ->allow_extra_args(false);
}

int CheckOptions(RenderOptions& o, std::string* problem) {
    if (o.picture.empty()) {
        *problem = "no picture given (see --help)";
        return render_exit::Usage;
    }
    for (const auto* list : {&o.traces, &o.probes})
        for (const std::string& t : *list)
            if (!ParsePoint(t)) {
                *problem = "not a point X,Y: " + t;
                return render_exit::Usage;
            }
    const auto range = [&](bool ok, const char* text) {
        if (!ok) *problem = text;
        return ok;
    };
    const bool ok =
        range(o.cell >= 1 && o.cell <= 32 && (o.cell & (o.cell - 1)) == 0,
              "--cell must be 1, 2, 4, 8, 16 or 32") &&
        range(o.step >= 1 && o.step <= 10, "--step must lie between 1 and 10") &&
        range(o.square >= 1 && o.square <= 2147483647, "--square must lie between 1 and 2147483647") &&
        range(std::isfinite(o.timeLimit) && o.timeLimit > 0 && o.timeLimit <= FLT_MAX,
              "--time-limit must be a number of seconds above 0") &&
        range(std::isfinite(o.maxField) && o.maxField > 0 && o.maxField <= FLT_MAX,
              "--max-field must be a number above 0") &&
        range(std::isfinite(o.maxCharge) && std::fabs(o.maxCharge) <= FLT_MAX,
              "--max-charge must be a number within the single-precision range") &&
        range(o.seedOption->count() == 0 || (o.seed >= 0 && o.seed <= 4294967295LL), "--seed must lie between 0 and 4294967295") &&
        range(o.maxSteps >= 0, "--max-steps must be 0 or more") &&
        range(o.threads >= 1 && o.threads <= 256, "--threads must lie between 1 and 256") &&
        range(o.equipotentials >= 0 && o.equipotentials <= 100, "--equipotentials must lie between 0 and 100") &&
        range(o.map == "field" || o.map == "potential" || o.map == "none", "--map must be field, potential or none") &&
        range(std::isfinite(o.arrows) && o.arrows >= 0 && o.arrows <= 100000,
              "--arrows must lie between 0 and 100000 pixels");
    if (!ok) return render_exit::OutOfRange;
    // A name that asks for another format, or for one not known, is refused
    // before anything is computed.
    const auto named = [&](const std::vector<std::string>& names, ExportFormat format, const char* option) {
        for (const std::string& name : names) {
            const QString q = QString::fromStdString(name);
            const QString file = q.mid(q.lastIndexOf(QLatin1Char('/')) + 1);
            const qsizetype dot = file.lastIndexOf(QLatin1Char('.'));
            if (name.empty() || (dot > 0 && ExportFormatOfName(file) != format)) {
                *problem = std::string(option) + " " + name + ": the name must end in ." +
                           ExportExtension(format).toStdString() + " or have no extension";
                return false;
            }
        }
        return true;
    };
    if (!named(o.svgs, ExportFormat::Svg, "--svg") || !named(o.pdfs, ExportFormat::Pdf, "--pdf"))
        return render_exit::Unwritable;

    HeadlessDriver::Options& d = o.driver;
    d.cell = o.cell;
    d.step = o.step;
    d.square = static_cast<std::int32_t>(o.square);
    d.timeLimit = static_cast<float>(o.timeLimit);
    d.maxField = static_cast<float>(o.maxField);
    d.maxCharge = static_cast<float>(o.maxCharge);
    // Without a seed the time of day gives one, which the data exports record.
    d.seed = o.seedOption->count() > 0 ? static_cast<std::uint32_t>(o.seed) : TimeOfDaySeed();
    d.maxSteps = static_cast<long>(o.maxSteps);
    d.threads = static_cast<int>(o.threads);
    o.views.equipotentials = o.equipotentials;
    o.views.map = o.map == "field" ? FieldMapKind::Field
                  : o.map == "potential" ? FieldMapKind::Potential
                                         : FieldMapKind::None;
    return 0;
}

int DefaultThreads() { return static_cast<int>(std::max(1u, std::thread::hardware_concurrency())); }

std::vector<RenderOptions::Point> ParsedPoints(const std::vector<std::string>& texts) {
    std::vector<RenderOptions::Point> points;
    for (const std::string& t : texts) points.push_back(*ParsePoint(t));
    return points;
}

const char* OutputFormat(const std::string& path) {
    std::string tail = path.size() >= 4 ? path.substr(path.size() - 4) : std::string();
    std::transform(tail.begin(), tail.end(), tail.begin(), [](unsigned char c) { return std::tolower(c); });
    return tail == ".png" ? "PNG" : tail == ".svg" ? "SVG" : tail == ".pdf" ? "PDF" : "BMP";
}

std::vector<RenderExport> VectorExports(const RenderOptions& o) {
    std::vector<RenderExport> out;
    const std::string format = o.output.empty() ? "" : OutputFormat(o.output);
    if (format == "SVG" || format == "PDF")
        out.push_back({format == "SVG" ? ExportFormat::Svg : ExportFormat::Pdf, o.output});
    for (const std::string& s : o.svgs) out.push_back({ExportFormat::Svg, s});
    for (const std::string& s : o.pdfs) out.push_back({ExportFormat::Pdf, s});
    return out;
}

}  // namespace tovik
