#pragma once

#include <array>
#include <memory>
#include <vector>

#include "field/CellCharges.h"
#include "field/FieldGrid.h"

namespace tovik {

// The potential and both field components at every pixel of the picture, by
// FFT convolution of the cell charges with the kernels 1 / r, x / r^3 and
// y / r^3 (FFTW, double precision).
//
// With cells of side s the pixels are not on the lattice of cell centres, so
// the pixels are split by their offset (a, b) from the lattice, 0 <= a, b < s:
// pixel (AreaLeft + m s + a, AreaTop + n s + b) sees cell (i, j) at the
// offset ((m - i) s + a - s/2, (n - j) s + b - s/2), and each of the s^2
// offsets is one convolution on the cell lattice. The charges are transformed
// once; each offset costs three inverse transforms whose size is about twice
// the picture's extent in cells, so the whole solve costs about as much at
// every cell side and does not grow with the number of charged cells.
//
// Plans and the transformed kernels are kept for the last geometry (cell
// side, number of cells, and where the cell lattice lies on the picture's
// pixels), so a new Preparation of the same picture, or of one charged over
// the same extent, only transforms the charges and multiplies.
// Solve runs the offsets on two threads. One solver is used by one thread at
// a time; several solvers may run at once.
class FieldGridSolver {
public:
    FieldGridSolver();
    ~FieldGridSolver();
    FieldGridSolver(const FieldGridSolver&) = delete;
    FieldGridSolver& operator=(const FieldGridSolver&) = delete;

    // Throws std::invalid_argument for a description that is not Valid(),
    // std::bad_alloc when memory or a plan cannot be had.
    FieldGrid Solve(const CellCharges& charges);
    // The same into `out`, whose memory is reused.
    void Solve(const CellCharges& charges, FieldGrid& out);

    void SetThreads(int threads) { threads_ = threads < 1 ? 1 : threads; }
    // Plans chosen by timing candidate algorithms on this machine instead of
    // by estimate: about a third faster to run, but the first solve of each
    // new geometry takes up to a few seconds longer. For long-lived solvers
    // that solve the same geometry again and again.
    void SetMeasuredPlans(bool measured) { measuredPlans_ = measured; }

    struct Layout;  // transform sizes and lattice placement of one geometry
    class Plans;    // FFTW plans and kernel spectra of one layout

private:
    std::unique_ptr<Plans> plans_;
    int threads_ = 2;
    bool measuredPlans_ = false;
};

}  // namespace tovik
