// The lines as CSV, one row per point; see LineDataWriter.h.

#include "export/LineDataWriter.h"
#include "export/PointProgress.h"
#include "export/TextSink.h"
#include "model/RunTimeError.h"

namespace tovik {

namespace {

// Ex and Ey at the point from the branch's field; both empty where that
// field meets a run-time error, or the branch has no field.
void PutField(TextSink& out, const TensionEvaluator& field, TracePoint p) {
    if (!field.CellsPtr()) return out.Put(',');
    FieldVector e;
    try {
        e = field.GetTension(p.x, p.y);
    } catch (const RunTimeError&) {
        return out.Put(',');
    }
    out.Number(e.X, "");
    out.Put(',');
    out.Number(e.Y, "");
}

}  // namespace

bool WriteLinesCsv(QIODevice& device, const DrawnLines& lines, const ExportProgress& progress) {
    TextSink out(device);
    PointProgress count(lines, progress);
    out.Put("line,branch,step,x,y,Ex,Ey\n");
    long lineNumber = 0;
    for (const DrawnLine& line : lines.Lines()) {
        ++lineNumber;
        int branchNumber = 0;
        for (const DrawnBranch& b : line.branches) {
            ++branchNumber;
            TensionEvaluator field = b.inputs.field;
            field.SetParallel(true);  // long sums on the helper thread too; same values
            const std::vector<TracePoint>& points = b.trace.points;
            for (std::size_t k = 0; k < points.size(); ++k) {
                out.Number(lineNumber, "");
                out.Put(',');
                out.Number(branchNumber, "");
                out.Put(',');
                out.Number(k, "");
                out.Put(',');
                out.Number(points[k].x, "");
                out.Put(',');
                out.Number(points[k].y, "");
                out.Put(',');
                PutField(out, field, points[k]);
                out.Put('\n');
                if ((k & 4095) == 4095 && out.Failed()) return false;  // a full disk: no use going on
            }
            count.Written(static_cast<long>(points.size()));
            if (out.Failed()) return false;
        }
    }
    const bool written = out.Flush();
    if (written) count.Finished();
    return written;
}

}  // namespace tovik
