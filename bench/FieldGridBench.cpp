// The potential and the field on every pixel of the drawing area: the FFT
// solver against the direct sum over every cell, on a fully charged picture
// at every cell side the slider offers. The direct sum is timed on a
// subsample of pixels and scaled to the whole area.
//
//   tovik-field-grid-bench [--runs=N] [--sample=PIXELS]

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <random>
#include <vector>

#include "field/CellCharges.h"
#include "field/FieldGridSolver.h"

namespace {

using namespace tovik;
using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point since) { return std::chrono::duration<double, std::milli>(Clock::now() - since).count(); }

// Processor time of the whole process (every thread), in milliseconds: on a
// machine shared with other work it shows the cost that the wall clock hides.
double CpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// Every cell of the drawing area charged, of both signs.
CellCharges FullyCharged(int side) {
    CellCharges c;
    c.CellSide = side;
    c.Columns = (DrawingWidth - 1) / side + 1;
    c.Rows = (DrawingHeight - 1) / side + 1;
    std::mt19937 rng(static_cast<unsigned>(side));
    std::uniform_real_distribution<float> value(-1000.0f, 1000.0f);
    for (int k = 0; k < c.Columns * c.Rows; ++k) c.Values.push_back(value(rng) * side * side);
    return c;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 9, sample = 400;
    for (int k = 1; k < argc; ++k) {
        if (std::strncmp(argv[k], "--runs=", 7) == 0) runs = std::max(1, std::atoi(argv[k] + 7));
        if (std::strncmp(argv[k], "--sample=", 9) == 0) sample = std::max(1, std::atoi(argv[k] + 9));
    }
    std::printf("Plans by estimate (the renderer), on 2 threads and on 1, and by measurement (the window);\n"
                "(cpu) is processor time per solve over all threads.\n");
    std::printf("%-6s %10s %10s %10s %12s %10s %10s %12s %14s %9s\n", "cells", "2 threads", "(cpu)", "1 thread",
                "first solve", "measured", "(cpu)", "first solve", "direct sum", "speed-up");
    for (const int side : {1, 2, 4, 8, 16, 32}) {
        const CellCharges c = FullyCharged(side);
        FieldGrid grid;
        // Estimated plans on 2 threads and on 1, measured plans on 2.
        double times[3] = {}, first[3] = {}, cpu[3] = {};
        for (int k = 0; k < 3; ++k) {
            FieldGridSolver solver;
            solver.SetThreads(k == 1 ? 1 : 2);
            solver.SetMeasuredPlans(k == 2);
            auto t0 = Clock::now();
            solver.Solve(c, grid);
            first[k] = Ms(t0);
            std::vector<double> each;
            const double cpu0 = CpuMs();
            for (int r = 0; r < runs; ++r) {
                t0 = Clock::now();
                solver.Solve(c, grid);
                each.push_back(Ms(t0));
            }
            cpu[k] = (CpuMs() - cpu0) / runs;
            times[k] = Median(each);
        }
        // The baseline: the potential and the field by the direct sum at
        // `sample` random pixels, scaled to all pixels of the area.
        std::mt19937 rng(1);
        std::uniform_int_distribution<int> px(0, DrawingWidth - 1), py(0, DrawingHeight - 1);
        double sink = 0;
        const auto t0 = Clock::now();
        for (int k = 0; k < sample; ++k) {
            const int x = px(rng), y = py(rng);
            sink += PotentialAt(c, x, y) + FieldAt(c, x, y).X;
        }
        const double direct = Ms(t0) / sample * DrawingWidth * DrawingHeight;
        std::printf("%2d px  %7.1f ms %7.1f ms %7.1f ms %9.1f ms %7.1f ms %7.1f ms %9.1f ms %11.0f ms %8.0fx%s\n", side,
                    times[0], cpu[0], times[1], first[0], times[2], cpu[2], first[2], direct, direct / times[0],
                    sink == 0.5 ? " " : "");
    }
    return 0;
}
