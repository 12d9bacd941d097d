#include "field/TensionKernel.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define TOVIK_KERNEL_X86 1
#endif

namespace tovik::kernel {

namespace {

std::atomic<int> versionLimit{static_cast<int>(Version::Avx512)};

// The term of one cell; false for a cell whose centre is the point.
inline bool Term(double x, double y, double cx, double cy, float q, double& tx, double& ty) {
    const double rx = x - cx;
    const double ry = y - cy;
    if (rx == 0 && ry == 0) return false;
    const double xx = rx * rx;
    const double yy = ry * ry;
    const double d = std::sqrt(xx + yy);
    const double k = static_cast<double>(q) / Cube(d);
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

// The lanes of c whose cube the vector versions leave to the exact one; rare.
__attribute__((noinline, cold)) void CubeLanes(const double* d, double* c, unsigned lanes) {
    for (int i = 0; lanes != 0; ++i, lanes >>= 1)
        if (lanes & 1u) c[i] = Cube(d[i]);
}

// The cubes of four values, with Cube's bits.
//
// d^2 = p + e and p * d = h + l exactly (two-products with FMA), so d^3 = h +
// l + e * d. With t = fma(e, d, l), the sum l + e * d rounded once, the cube
// rounded once is h + t rounded, except when h + t falls exactly halfway
// between two doubles while t was rounded: the rounding of t may then have
// moved the sum onto the halfway point from either side. That halfway point
// lies within two units in the last place of h and so is a number of at most
// five significant bits; lanes whose t is such a number, rare, are left to the
// exact version, and so are values outside [2^-300, 2^340], where the parts
// could underflow or the cube overflow.
__attribute__((target("avx2,fma"))) inline __m256d Cube4(__m256d d) {
    const __m256d p = _mm256_mul_pd(d, d);
    const __m256d e = _mm256_fmsub_pd(d, d, p);
    const __m256d h = _mm256_mul_pd(p, d);
    const __m256d l = _mm256_fmsub_pd(p, d, h);
    const __m256d t = _mm256_fmadd_pd(e, d, l);
    const __m256d c = _mm256_add_pd(h, t);
    const __m256i lowBits = _mm256_and_si256(_mm256_castpd_si256(t), _mm256_set1_epi64x((std::int64_t{1} << 48) - 1));
    const __m256d shortT = _mm256_castsi256_pd(_mm256_cmpeq_epi64(lowBits, _mm256_setzero_si256()));
    const __m256d nonZeroT = _mm256_cmp_pd(t, _mm256_setzero_pd(), _CMP_NEQ_OQ);
    const __m256d outside = _mm256_or_pd(_mm256_cmp_pd(d, _mm256_set1_pd(0x1p-300), _CMP_NGE_UQ),
                                         _mm256_cmp_pd(d, _mm256_set1_pd(0x1p340), _CMP_NLE_UQ));
    const auto redo = static_cast<unsigned>(_mm256_movemask_pd(_mm256_or_pd(_mm256_and_pd(shortT, nonZeroT), outside)));
    if (redo == 0) return c;
    alignas(32) double dv[4], cv[4];
    _mm256_store_pd(dv, d);
    _mm256_store_pd(cv, c);
    CubeLanes(dv, cv, redo);
    return _mm256_load_pd(cv);
}

// The terms of four consecutive cells starting at k; a cell whose centre is
// the point gets (-0, -0).
__attribute__((target("avx2,fma"))) inline void Terms4(const CellArrays& c, std::size_t k, __m256d px, __m256d py,
                                                       __m256d& tx, __m256d& ty) {
    const __m256d zero = _mm256_setzero_pd();
    const __m256d negZero = _mm256_set1_pd(-0.0);
    const __m256d rx = _mm256_sub_pd(px, _mm256_loadu_pd(c.centreX + k));
    const __m256d ry = _mm256_sub_pd(py, _mm256_loadu_pd(c.centreY + k));
    const __m256d xx = _mm256_mul_pd(rx, rx);
    const __m256d yy = _mm256_mul_pd(ry, ry);
    const __m256d d = _mm256_sqrt_pd(_mm256_add_pd(xx, yy));
    const __m256d d3 = Cube4(d);
    const __m256d q = _mm256_cvtps_pd(_mm_loadu_ps(c.value + k));
    const __m256d w = _mm256_div_pd(q, d3);
    const __m256d atCentre =
        _mm256_and_pd(_mm256_cmp_pd(rx, zero, _CMP_EQ_OQ), _mm256_cmp_pd(ry, zero, _CMP_EQ_OQ));
    tx = _mm256_blendv_pd(_mm256_mul_pd(rx, w), negZero, atCentre);
    ty = _mm256_blendv_pd(_mm256_mul_pd(ry, w), negZero, atCentre);
}

// Adds the terms of four cells to e, (x, y) side by side, in cell order.
__attribute__((target("avx2,fma"))) inline __m128d AddTerms4(__m128d e, __m256d tx, __m256d ty) {
    const __m256d even = _mm256_unpacklo_pd(tx, ty);  // cells 0 and 2
    const __m256d odd = _mm256_unpackhi_pd(tx, ty);   // cells 1 and 3
    e = _mm_add_pd(e, _mm256_castpd256_pd128(even));
    e = _mm_add_pd(e, _mm256_castpd256_pd128(odd));
    e = _mm_add_pd(e, _mm256_extractf128_pd(even, 1));
    return _mm_add_pd(e, _mm256_extractf128_pd(odd, 1));
}

__attribute__((target("avx2,fma"))) void Avx2Accumulate(const CellArrays& c, std::size_t begin, std::size_t end,
                                                        double x, double y, double& ex, double& ey) {
    const __m256d px = _mm256_set1_pd(x);
    const __m256d py = _mm256_set1_pd(y);
    __m128d e = _mm_set_pd(ey, ex);  // (x, y) side by side: one addition per cell
    std::size_t k = begin;
    // The terms of 16 cells are formed before they are added: the additions
    // wait for one another, the terms do not, and the processor overlaps
    // more of them this way.
    for (; k + 16 <= end; k += 16) {
        __m256d tx[4], ty[4];
        for (int u = 0; u < 4; ++u) Terms4(c, k + 4 * u, px, py, tx[u], ty[u]);
        for (int u = 0; u < 4; ++u) e = AddTerms4(e, tx[u], ty[u]);
    }
    for (; k + 4 <= end; k += 4) {
        __m256d tx, ty;
        Terms4(c, k, px, py, tx, ty);
        e = AddTerms4(e, tx, ty);
    }
    ex = _mm_cvtsd_f64(e);
    ey = _mm_cvtsd_f64(_mm_unpackhi_pd(e, e));
    // The last cells, fewer than four, one by one.
    PlainAccumulate(c, k, end, x, y, ex, ey);
}

__attribute__((target("avx2,fma"))) void Avx2Compute(const CellArrays& c, std::size_t begin, std::size_t end,
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

__attribute__((target("avx2,fma"))) void Avx2Cubes(const double* d, double* out, std::size_t n) {
    std::size_t k = 0;
    for (; k + 4 <= n; k += 4) _mm256_storeu_pd(out + k, Cube4(_mm256_loadu_pd(d + k)));
    for (; k < n; ++k) out[k] = Cube(d[k]);
}

// --- AVX-512: eight cells at a time, the same arithmetic --------------------------

// GCC 12's AVX-512 headers start some results from an undefined register.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"

// The cubes of eight values, as Cube4 forms them.
__attribute__((target("avx512f,avx512dq"))) inline __m512d Cube8(__m512d d) {
    const __m512d p = _mm512_mul_pd(d, d);
    const __m512d e = _mm512_fmsub_pd(d, d, p);
    const __m512d h = _mm512_mul_pd(p, d);
    const __m512d l = _mm512_fmsub_pd(p, d, h);
    const __m512d t = _mm512_fmadd_pd(e, d, l);
    const __m512d c = _mm512_add_pd(h, t);
    const __mmask8 shortT =
        _mm512_testn_epi64_mask(_mm512_castpd_si512(t), _mm512_set1_epi64((std::int64_t{1} << 48) - 1));
    const __mmask8 nonZeroT = _mm512_cmp_pd_mask(t, _mm512_setzero_pd(), _CMP_NEQ_OQ);
    const __mmask8 outside = _mm512_cmp_pd_mask(d, _mm512_set1_pd(0x1p-300), _CMP_NGE_UQ) |
                             _mm512_cmp_pd_mask(d, _mm512_set1_pd(0x1p340), _CMP_NLE_UQ);
    const unsigned redo = (shortT & nonZeroT) | outside;
    if (redo == 0) return c;
    alignas(64) double dv[8], cv[8];
    _mm512_store_pd(dv, d);
    _mm512_store_pd(cv, c);
    CubeLanes(dv, cv, redo);
    return _mm512_load_pd(cv);
}

// The terms of eight consecutive cells starting at k; a cell whose centre is
// the point gets (-0, -0).
__attribute__((target("avx512f,avx512dq"))) inline void Terms8(const CellArrays& c, std::size_t k, __m512d px,
                                                               __m512d py, __m512d& tx, __m512d& ty) {
    const __m512d zero = _mm512_setzero_pd();
    const __m512d rx = _mm512_sub_pd(px, _mm512_loadu_pd(c.centreX + k));
    const __m512d ry = _mm512_sub_pd(py, _mm512_loadu_pd(c.centreY + k));
    const __m512d d = _mm512_sqrt_pd(_mm512_add_pd(_mm512_mul_pd(rx, rx), _mm512_mul_pd(ry, ry)));
    const __m512d q = _mm512_cvtps_pd(_mm256_loadu_ps(c.value + k));
    const __m512d w = _mm512_div_pd(q, Cube8(d));
    const __mmask8 atCentre = _mm512_cmp_pd_mask(rx, zero, _CMP_EQ_OQ) & _mm512_cmp_pd_mask(ry, zero, _CMP_EQ_OQ);
    tx = _mm512_mask_mov_pd(_mm512_mul_pd(rx, w), atCentre, _mm512_set1_pd(-0.0));
    ty = _mm512_mask_mov_pd(_mm512_mul_pd(ry, w), atCentre, _mm512_set1_pd(-0.0));
}

// Adds the terms of eight cells to e, (x, y) side by side, in cell order.
__attribute__((target("avx512f,avx512dq"))) inline __m128d AddTerms8(__m128d e, __m512d tx, __m512d ty) {
    const __m512d even = _mm512_unpacklo_pd(tx, ty);  // cells 0, 2, 4, 6
    const __m512d odd = _mm512_unpackhi_pd(tx, ty);   // cells 1, 3, 5, 7
    e = _mm_add_pd(e, _mm512_castpd512_pd128(even));
    e = _mm_add_pd(e, _mm512_castpd512_pd128(odd));
    e = _mm_add_pd(e, _mm512_extractf64x2_pd(even, 1));
    e = _mm_add_pd(e, _mm512_extractf64x2_pd(odd, 1));
    e = _mm_add_pd(e, _mm512_extractf64x2_pd(even, 2));
    e = _mm_add_pd(e, _mm512_extractf64x2_pd(odd, 2));
    e = _mm_add_pd(e, _mm512_extractf64x2_pd(even, 3));
    return _mm_add_pd(e, _mm512_extractf64x2_pd(odd, 3));
}

__attribute__((target("avx512f,avx512dq"))) void Avx512Accumulate(const CellArrays& c, std::size_t begin,
                                                                  std::size_t end, double x, double y, double& ex,
                                                                  double& ey) {
    const __m512d px = _mm512_set1_pd(x);
    const __m512d py = _mm512_set1_pd(y);
    __m128d e = _mm_set_pd(ey, ex);
    std::size_t k = begin;
    // The terms of 32 cells are formed before they are added: the additions
    // wait for one another, the terms do not, and the processor overlaps
    // more of them this way.
    for (; k + 32 <= end; k += 32) {
        __m512d tx[4], ty[4];
        for (int u = 0; u < 4; ++u) Terms8(c, k + 8 * u, px, py, tx[u], ty[u]);
        for (int u = 0; u < 4; ++u) e = AddTerms8(e, tx[u], ty[u]);
    }
    for (; k + 8 <= end; k += 8) {
        __m512d tx, ty;
        Terms8(c, k, px, py, tx, ty);
        e = AddTerms8(e, tx, ty);
    }
    ex = _mm_cvtsd_f64(e);
    ey = _mm_cvtsd_f64(_mm_unpackhi_pd(e, e));
    Avx2Accumulate(c, k, end, x, y, ex, ey);
}

__attribute__((target("avx512f,avx512dq"))) void Avx512Compute(const CellArrays& c, std::size_t begin,
                                                               std::size_t end, double x, double y, double* terms) {
    const __m512d px = _mm512_set1_pd(x);
    const __m512d py = _mm512_set1_pd(y);
    const __m512i firstHalf = _mm512_setr_epi64(0, 8, 1, 9, 2, 10, 3, 11);
    const __m512i secondHalf = _mm512_setr_epi64(4, 12, 5, 13, 6, 14, 7, 15);
    std::size_t k = begin;
    for (; k + 8 <= end; k += 8) {
        __m512d tx, ty;
        Terms8(c, k, px, py, tx, ty);
        _mm512_storeu_pd(terms + 2 * k, _mm512_permutex2var_pd(tx, firstHalf, ty));
        _mm512_storeu_pd(terms + 2 * k + 8, _mm512_permutex2var_pd(tx, secondHalf, ty));
    }
    Avx2Compute(c, k, end, x, y, terms);
}

__attribute__((target("avx512f,avx512dq"))) void Avx512Cubes(const double* d, double* out, std::size_t n) {
    std::size_t k = 0;
    for (; k + 8 <= n; k += 8) _mm512_storeu_pd(out + k, Cube8(_mm512_loadu_pd(d + k)));
    Avx2Cubes(d + k, out + k, n - k);
}

#pragma GCC diagnostic pop

#endif

// The processor is asked once. The vector versions are plain functions with
// a target attribute, chosen here rather than by a loader-time resolver, which
// would run before a sanitizer's run time is ready.
Version Best() {
#ifdef TOVIK_KERNEL_X86
    static const Version best = [] {
        __builtin_cpu_init();
        if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq")) return Version::Avx512;
        if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma")) return Version::Avx2;
        return Version::Plain;
    }();
    return best;
#else
    return Version::Plain;
#endif
}

Version InUse() {
    const auto limit = static_cast<Version>(versionLimit.load(std::memory_order_relaxed));
    return std::min(limit, Best());
}

}  // namespace

void AccumulateTerms(const CellArrays& cells, std::size_t begin, std::size_t end, double x, double y,
                     double& ex, double& ey) {
    switch (InUse()) {
#ifdef TOVIK_KERNEL_X86
    case Version::Avx512: return Avx512Accumulate(cells, begin, end, x, y, ex, ey);
    case Version::Avx2: return Avx2Accumulate(cells, begin, end, x, y, ex, ey);
#endif
    default: return PlainAccumulate(cells, begin, end, x, y, ex, ey);
    }
}

void ComputeTerms(const CellArrays& cells, std::size_t begin, std::size_t end, double x, double y,
                  double* terms) {
    switch (InUse()) {
#ifdef TOVIK_KERNEL_X86
    case Version::Avx512: return Avx512Compute(cells, begin, end, x, y, terms);
    case Version::Avx2: return Avx2Compute(cells, begin, end, x, y, terms);
#endif
    default: return PlainCompute(cells, begin, end, x, y, terms);
    }
}

void Cubes(const double* d, double* out, std::size_t n) {
    switch (InUse()) {
#ifdef TOVIK_KERNEL_X86
    case Version::Avx512: return Avx512Cubes(d, out, n);
    case Version::Avx2: return Avx2Cubes(d, out, n);
#endif
    default:
        for (std::size_t k = 0; k < n; ++k) out[k] = Cube(d[k]);
    }
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

Version BestVersion() { return Best(); }

Version VersionInUse() { return InUse(); }

void LimitVersion(Version v) { versionLimit.store(static_cast<int>(v), std::memory_order_relaxed); }

const char* VersionName(Version v) {
    switch (v) {
    case Version::Avx512: return "avx512";
    case Version::Avx2: return "avx2+fma";
    default: return "plain";
    }
}

}  // namespace tovik::kernel
