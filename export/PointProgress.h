#pragma once

#include "drawing/DrawnLines.h"
#include "export/LineDataWriter.h"

namespace tovik {

// Counts the points written and tells the progress about every 64 Ki of
// them, and at the start and the end.
class PointProgress {
public:
    PointProgress(const DrawnLines& lines, const ExportProgress& progress) : progress_(progress) {
        for (const DrawnLine& line : lines.Lines())
            for (const DrawnBranch& b : line.branches) total_ += static_cast<long>(b.trace.points.size());
        if (progress_) progress_(0, total_);
    }
    void Written(long points) {
        done_ += points;
        if (progress_ && done_ - told_ >= (1 << 16)) {
            told_ = done_;
            progress_(done_, total_);
        }
    }
    void Finished() {
        if (progress_ && told_ != total_) progress_(total_, total_);
    }

private:
    const ExportProgress& progress_;
    long total_ = 0;
    long done_ = 0;
    long told_ = 0;
};

}  // namespace tovik
