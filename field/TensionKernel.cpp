#include "field/TensionKernel.h"

#include <atomic>
#include <cmath>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define TOVIK_KERNEL_X86 1
#endif

namespace tovik::kernel {

namespace {

std::atomic<bool> plainOnly{false};

// The term of one cell; false for a cell whose centre is the point.
inline bool Term(double x, double y, double cx, double cy, float q, double& tx, double& ty) {
    const double rx = x - cx;
    const double ry = y - cy;
    if (rx == 0 && ry == 0) return false;
    const double xx = rx * rx;
    const double yy = ry * ry;
    const double d = std::sqrt(xx + yy);
    const double k = static_cast<double>(q) / (d * d * d);
    tx = rx * k;
    ty = ry * k;
    return true;
}

void PlainAccumulate(const CellArrays& c, std::size_t begin, std::size_t end, double x, double y,
                     double& ex, double& ey) {
    double sx = ex;
    double sy = ey;
    for (std::size_t k = begin; k < end; ++k) {
        double tx, ty;
        if (!Term(x, y, c.centreX[k], c.centreY[k], c.value[k], tx, ty)) continue;
        sx += tx;
        sy += ty;
    }
    ex = sx;
    ey = sy;
}

void PlainCompute(const CellArrays& c, std::size_t begin, std::size_t end, double x, double y,
                  double* terms) {
    for (std::size_t k = begin; k < end; ++k) {
        double tx = -0.0, ty = -0.0;
        Term(x, y, c.centreX[k], c.centreY[k], c.value[k], tx, ty);
        terms[2 * k] = tx;
        terms[2 * k + 1] = ty;
    }
}

#ifdef TOVIK_KERNEL_X86

// The terms of four consecutive cells starting at k; a cell whose centre is
// the point gets (-0, -0).
__attribute__((target("avx2"))) inline void Terms4(const CellArrays& c, std::size_t k, __m256d px, __m256d py,
                                                   __m256d& tx, __m256d& ty) {
    const __m256d zero = _mm256_setzero_pd();
    const __m256d negZero = _mm256_set1_pd(-0.0);
    const __m256d rx = _mm256_sub_pd(px, _mm256_loadu_pd(c.centreX + k));
    const __m256d ry = _mm256_sub_pd(py, _mm256_loadu_pd(c.centreY + k));
    const __m256d xx = _mm256_mul_pd(rx, rx);
    const __m256d yy = _mm256_mul_pd(ry, ry);
    const __m256d d = _mm256_sqrt_pd(_mm256_add_pd(xx, yy));
    const __m256d d3 = _mm256_mul_pd(_mm256_mul_pd(d, d), d);
    const __m256d q = _mm256_cvtps_pd(_mm_loadu_ps(c.value + k));
    const __m256d w = _mm256_div_pd(q, d3);
    const __m256d atCentre =
        _mm256_and_pd(_mm256_cmp_pd(rx, zero, _CMP_EQ_OQ), _mm256_cmp_pd(ry, zero, _CMP_EQ_OQ));
    tx = _mm256_blendv_pd(_mm256_mul_pd(rx, w), negZero, atCentre);
    ty = _mm256_blendv_pd(_mm256_mul_pd(ry, w), negZero, atCentre);
}

__attribute__((target("avx2"))) void Avx2Accumulate(const CellArrays& c, std::size_t begin, std::size_t end,
                                                    double x, double y, double& ex, double& ey) {
    const __m256d px = _mm256_set1_pd(x);
    const __m256d py = _mm256_set1_pd(y);
    __m128d e = _mm_set_pd(ey, ex);  // (x, y) side by side: one addition per cell
    std::size_t k = begin;
    for (; k + 4 <= end; k += 4) {
        __m256d tx, ty;
        Terms4(c, k, px, py, tx, ty);
        const __m256d even = _mm256_unpacklo_pd(tx, ty);  // cells k and k + 2
        const __m256d odd = _mm256_unpackhi_pd(tx, ty);   // cells k + 1 and k + 3
        e = _mm_add_pd(e, _mm256_castpd256_pd128(even));
        e = _mm_add_pd(e, _mm256_castpd256_pd128(odd));
        e = _mm_add_pd(e, _mm256_extractf128_pd(even, 1));
        e = _mm_add_pd(e, _mm256_extractf128_pd(odd, 1));
    }
    ex = _mm_cvtsd_f64(e);
    ey = _mm_cvtsd_f64(_mm_unpackhi_pd(e, e));
    // The last cells, fewer than four, one by one.
    PlainAccumulate(c, k, end, x, y, ex, ey);
}

__attribute__((target("avx2"))) void Avx2Compute(const CellArrays& c, std::size_t begin, std::size_t end,
                                                 double x, double y, double* terms) {
    const __m256d px = _mm256_set1_pd(x);
    const __m256d py = _mm256_set1_pd(y);
    std::size_t k = begin;
    for (; k + 4 <= end; k += 4) {
        __m256d tx, ty;
        Terms4(c, k, px, py, tx, ty);
        const __m256d even = _mm256_unpacklo_pd(tx, ty);
        const __m256d odd = _mm256_unpackhi_pd(tx, ty);
        _mm256_storeu_pd(terms + 2 * k, _mm256_permute2f128_pd(even, odd, 0x20));
        _mm256_storeu_pd(terms + 2 * k + 4, _mm256_permute2f128_pd(even, odd, 0x31));
    }
    PlainCompute(c, k, end, x, y, terms);
}

#endif

// The processor is asked once. The vector versions are plain functions with
// a target attribute, chosen here rather than by a loader-time resolver, which
// would run before a sanitizer's run time is ready.
bool VectorVersionAvailable() {
#ifdef TOVIK_KERNEL_X86
    static const bool available = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return available;
#else
    return false;
#endif
}

bool UseVector() { return !plainOnly.load(std::memory_order_relaxed) && VectorVersionAvailable(); }

}  // namespace

void AccumulateTerms(const CellArrays& cells, std::size_t begin, std::size_t end, double x, double y,
                     double& ex, double& ey) {
#ifdef TOVIK_KERNEL_X86
    if (UseVector()) return Avx2Accumulate(cells, begin, end, x, y, ex, ey);
#endif
    PlainAccumulate(cells, begin, end, x, y, ex, ey);
}

void ComputeTerms(const CellArrays& cells, std::size_t begin, std::size_t end, double x, double y,
                  double* terms) {
#ifdef TOVIK_KERNEL_X86
    if (UseVector()) return Avx2Compute(cells, begin, end, x, y, terms);
#endif
    PlainCompute(cells, begin, end, x, y, terms);
}

void AddTerms(const double* terms, std::size_t begin, std::size_t end, double& ex, double& ey) {
    double sx = ex;
    double sy = ey;
    for (std::size_t k = begin; k < end; ++k) {
        sx += terms[2 * k];
        sy += terms[2 * k + 1];
    }
    ex = sx;
    ey = sy;
}

bool UsesAvx2() { return UseVector(); }

void UsePlainVersionOnly(bool plain) { plainOnly.store(plain, std::memory_order_relaxed); }

}  // namespace tovik::kernel
