// The lines as JSON, streamed; see LineDataWriter.h.

#include <QByteArray>

#include "export/LineDataWriter.h"
#include "export/PointProgress.h"
#include "export/TextSink.h"

namespace tovik {

namespace {

const char* EndName(BranchEnd end) {
    switch (end) {
    case BranchEnd::NotStarted: return "notStarted";
    case BranchEnd::TooWeak: return "tooWeak";
    case BranchEnd::TooStrong: return "tooStrong";
    case BranchEnd::OutOfTime: return "outOfTime";
    case BranchEnd::Stopped: return "stopped";
    case BranchEnd::Failed: return "failed";
    }
    return "failed";
}

const char* ErrorName(RunTimeErrorKind kind) {
    switch (kind) {
    case RunTimeErrorKind::Overflow: return "overflow";
    case RunTimeErrorKind::SubscriptOutOfRange: return "subscriptOutOfRange";
    case RunTimeErrorKind::DivisionByZero: return "divisionByZero";
    case RunTimeErrorKind::InvalidOperation: return "invalidOperation";
    }
    return "invalidOperation";
}

const char* StageName(ErrorStage stage) {
    switch (stage) {
    case ErrorStage::Start: return "start";
    case ErrorStage::Test: return "test";
    case ErrorStage::Move: return "move";
    case ErrorStage::Evaluation: return "evaluation";
    }
    return "evaluation";
}

// A JSON string of UTF-8 text: quotes, backslashes and control characters
// escaped.
void PutString(TextSink& out, const QByteArray& utf8) {
    static const char Hex[] = "0123456789abcdef";
    out.Put('"');
    for (const char c : utf8) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out.Put('\\');
            out.Put(c);
        } else if (u < 0x20) {
            const char escaped[] = {'\\', 'u', '0', '0', Hex[u >> 4], Hex[u & 15]};
            out.Put(std::string_view(escaped, sizeof escaped));
        } else {
            out.Put(c);
        }
    }
    out.Put('"');
}

// Neither infinities nor NaN exist in JSON: they are written as null.
template <typename T>
void PutNumber(TextSink& out, T value) {
    out.Number(value, "null");
}

void PutPoint(TextSink& out, TracePoint p) {
    out.Put('[');
    PutNumber(out, p.x);
    out.Put(',');
    PutNumber(out, p.y);
    out.Put(']');
}

void PutHeader(TextSink& out, const LineDataHeader& h) {
    out.Put("{\"format\":\"tovik-lines\",\"version\":1,\n\"parameters\":{\"picture\":");
    PutString(out, h.picture.toUtf8());
    const auto field = [&](const char* name, auto value) {
        out.Put(",\"");
        out.Put(name);
        out.Put("\":");
        PutNumber(out, value);
    };
    field("width", h.width);
    field("height", h.height);
    field("cellSide", h.cellSide);
    field("step", h.step);
    field("maxTension", h.maxTension);
    field("timeLimit", h.timeLimit);
    field("stepLimit", h.stepLimit);
    out.Put(",\"seed\":");
    if (h.seed) PutNumber(out, *h.seed);
    else out.Put("null");
    field("maxCharge", h.maxCharge);
    out.Put("},\n\"equipotentialLevels\":[");
    for (std::size_t i = 0; i < h.levels.size(); ++i) {
        if (i) out.Put(',');
        PutNumber(out, h.levels[i]);
    }
    out.Put("],\n\"lines\":[");
}

void PutBranch(TextSink& out, const DrawnBranch& b) {
    out.Put("\n {\"step\":");
    PutNumber(out, b.inputs.parameters.step);
    out.Put(",\"end\":\"");
    out.Put(EndName(b.trace.end));
    out.Put('"');
    if (b.trace.end == BranchEnd::Failed) {
        out.Put(",\"error\":\"");
        out.Put(ErrorName(b.trace.error));
        out.Put("\",\"stage\":\"");
        out.Put(StageName(b.trace.stage));
        out.Put('"');
    }
    out.Put(",\"points\":[");
    const std::vector<TracePoint>& points = b.trace.points;
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (i) out.Put(',');
        PutPoint(out, points[i]);
    }
    out.Put("]}");
}

}  // namespace

bool WriteLinesJson(QIODevice& device, const DrawnLines& lines, const LineDataHeader& header,
                    const ExportProgress& progress) {
    TextSink out(device);
    PointProgress count(lines, progress);
    PutHeader(out, header);
    bool firstLine = true;
    for (const DrawnLine& line : lines.Lines()) {
        out.Put(firstLine ? "\n{\"start\":" : ",\n{\"start\":");
        firstLine = false;
        PutPoint(out, line.start);
        out.Put(",\"branches\":[");
        for (std::size_t i = 0; i < line.branches.size(); ++i) {
            if (i) out.Put(',');
            PutBranch(out, line.branches[i]);
            count.Written(static_cast<long>(line.branches[i].trace.points.size()));
            if (out.Failed()) return false;  // a full disk: no use going on
        }
        out.Put("]}");
    }
    out.Put("\n]}\n");
    const bool written = out.Flush();
    if (written) count.Finished();
    return written;
}

}  // namespace tovik
