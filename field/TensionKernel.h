#pragma once

// The arithmetic of the field sum over a list of charged cells, with vector
// versions for processors with AVX-512 or with AVX2 and FMA and plain ones
// for the others (with fused multiply-adds or without), chosen at the first
// call. All give the same bits as the
// checked walk: for a cell of centre C and value q and the point P,
//
//   r = P - C, d = sqrt(r.x * r.x + r.y * r.y), k = q / d^3,
//   term = (r.x * k, r.y * k),
//
// each operation rounded to double, with no fused multiply-add, and d^3 the
// exact cube of d rounded once (Cube below); a cell whose centre is the point
// gives nothing. The terms are added to the sum one cell at a time in list
// order. Nothing here checks for overflow: a non-finite sum tells the caller
// that the checked walk must find the error.

#include <cstddef>

#include "field/Cube.h"

namespace tovik::kernel {

struct CellArrays {
    const double* centreX = nullptr;
    const double* centreY = nullptr;
    const float* value = nullptr;
};

// Adds the terms of cells [begin, end) to (ex, ey) in order.
void AccumulateTerms(const CellArrays& cells, std::size_t begin, std::size_t end, double x, double y,
                     double& ex, double& ey);

// Stores the terms of cells [begin, end) at terms[2k] (x) and terms[2k + 1]
// (y). A cell whose centre is the point gets (-0, -0), which leaves any sum
// unchanged.
void ComputeTerms(const CellArrays& cells, std::size_t begin, std::size_t end, double x, double y,
                  double* terms);

// Adds stored terms of cells [begin, end) to (ex, ey) in order.
void AddTerms(const double* terms, std::size_t begin, std::size_t end, double& ex, double& ey);

// out[k] = Cube(d[k]) for k in [0, n), through the version in use: each forms
// the cube cheaply from two-products and leaves the few values where that may
// miss to the exact Cube. Returns how many it left (the vector versions may
// leave a few more than need it).
std::size_t Cubes(const double* d, double* out, std::size_t n);

// The versions of the arithmetic, slowest first; all give the same bits.
enum class Version { Plain, PlainFma, Avx2, Avx512 };

// The fastest version this processor has: AVX-512 (F and DQ), AVX2 with
// FMA, the plain one with FMA, or the plain one.
Version BestVersion();

// The version the calls take: the best one, or a slower one where a limit is
// set.
Version VersionInUse();

// Makes the calls take no version faster than v (the best one by default), so
// that the versions can be compared on one machine.
void LimitVersion(Version v);

const char* VersionName(Version v);

}  // namespace tovik::kernel
