#include "field/TensionKernel.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cmath>
#include <cstdint>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define TOVIK_KERNEL_X86 1
#endif

namespace tovik::kernel {

namespace {

std::atomic<int> versionLimit{static_cast<int>(Version::Avx512)};

// The cube of d is formed cheaply as h + t: d^2 = p + e and p * d = h + l
// exactly (two-products), so d^3 = h + l + e * d, and t is l + e * d rounded.
// h + t rounded is then the cube rounded once, except when h + t falls
// exactly halfway between two doubles while t was rounded: the rounding of t
// may have moved the sum onto the halfway point from either side. That point
// lies within two units in the last place of h, so t is then a number of at
// most five significant bits. Such lanes, rare, are left to the exact Cube,
// and so are values outside [2^-300, 2^340], where the parts could underflow
// or the cube overflow.
constexpr std::uint64_t LowBits = (std::uint64_t{1} << 48) - 1;
constexpr std::uint64_t RangeLow = std::bit_cast<std::uint64_t>(0x1p-300);
constexpr std::uint64_t RangeSpan = std::bit_cast<std::uint64_t>(0x1p340) - RangeLow;

// Whether h + t is certainly the cube of d rounded once, for a t within
// `slack` units in its last place of l + e * d (0 when t is l + e * d rounded
// once). A zero t leaves h, which is then exact.
inline bool CheapCubeHolds(double d, double t, std::uint64_t slack) {
    if (std::bit_cast<std::uint64_t>(d) - RangeLow > RangeSpan) return false;  // negative, NaN included
    const auto tb = std::bit_cast<std::uint64_t>(t);
    if ((tb << 1) == 0) return true;
    return ((tb + slack) & LowBits) > 2 * slack;
}

// d^3 as h + t (see above), the two-products by fused multiply-adds (Fma) or
// by Dekker's splitting.
template <bool Fma>
__attribute__((always_inline)) inline void CheapCubeParts(double d, double& h, double& t) {
    const double p = d * d;
    h = p * d;
    if constexpr (Fma) {
        t = std::fma(std::fma(d, d, -p), d, std::fma(p, d, -h));
    } else {
        // Halves of at most 26 bits, whose products are exact.
        const auto split = [](double a, double& high, double& low) {
            const double c = 134217729.0 * a;  // 2^27 + 1
            high = c - (c - a);
            low = a - high;
        };
        double dh, dl, ph, pl;
        split(d, dh, dl);
        split(p, ph, pl);
        const double e = ((dh * dh - p) + 2.0 * dh * dl) + dl * dl;
        const double l = (((ph * dh - h) + ph * dl) + pl * dh) + pl * dl;
        // e * d and the sum are each rounded: where it matters (t near a
        // number of five bits, so at least a quarter of a unit of h) t lies
        // within a few units in its last place of l + e * d; Slack allows 16.
        t = l + e * d;
    }
}

// The units in the last place of t by which it may miss l + e * d.
template <bool Fma>
constexpr std::uint64_t Slack = Fma ? 0 : 16;

// The cube of d rounded once, through h + t where that is certain.
template <bool Fma>
__attribute__((always_inline)) inline bool CheapCube(double d, double& cube) {
    double h, t;
    CheapCubeParts<Fma>(d, h, t);
    cube = h + t;
    return CheapCubeHolds(d, t, Slack<Fma>);
}

// The term of one cell by the exact cube; false for a cell whose centre is
// the point.
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

// The term of one cell through the cheap cube, or the exact one where it
// must; false for a cell whose centre is the point.
template <bool Fma>
__attribute__((always_inline)) inline bool FastTerm(double x, double y, double cx, double cy, float q, double& tx,
                                                    double& ty) {
    const double rx = x - cx;
    const double ry = y - cy;
    const double d = std::sqrt(rx * rx + ry * ry);
    double d3;
    // A zero d (the cell at the point) is outside the cheap cube's range too.
    if (!CheapCube<Fma>(d, d3)) [[unlikely]]
        return Term(x, y, cx, cy, q, tx, ty);
    const double k = static_cast<double>(q) / d3;
    tx = rx * k;
    ty = ry * k;
    return true;
}

// Whether the cube h + t of d may miss the one rounded once, as 0 or 1:
// CheapCubeHolds without branches, so that a loop of it becomes vector code,
// and coarser (a zero t is doubtful here).
template <bool Fma>
__attribute__((always_inline)) inline std::uint64_t Doubtful(double d, double t) {
    const std::uint64_t outside = std::bit_cast<std::uint64_t>(d) - RangeLow > RangeSpan;
    return outside | (((std::bit_cast<std::uint64_t>(t) + Slack<Fma>) & LowBits) <= 2 * Slack<Fma>);
}

// The terms of cells [k, k + n) at tx[i], ty[i], with the checked walk's bits;
// a cell whose centre is the point gets (-0, -0). Written as a loop that the
// compiler turns into vector code (SSE2, AVX, NEON), with the rare doubtful
// cubes redone one by one.
template <bool Fma, std::size_t n>
__attribute__((always_inline)) inline void PlainTerms(const CellArrays& c, std::size_t k, double x, double y,
                                                      double* tx, double* ty) {
    std::uint64_t doubtful = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const double rx = x - c.centreX[k + i];
        const double ry = y - c.centreY[k + i];
        const double d = std::sqrt(rx * rx + ry * ry);
        double h, t;
        CheapCubeParts<Fma>(d, h, t);
        doubtful |= Doubtful<Fma>(d, t);
        const double w = static_cast<double>(c.value[k + i]) / (h + t);
        tx[i] = rx * w;
        ty[i] = ry * w;
    }
    if (doubtful == 0) [[likely]]
        return;
    for (std::size_t i = 0; i < n; ++i) {
        tx[i] = ty[i] = -0.0;
        FastTerm<Fma>(x, y, c.centreX[k + i], c.centreY[k + i], c.value[k + i], tx[i], ty[i]);
    }
}

template <bool Fma>
__attribute__((always_inline)) inline void PlainAccumulateWith(const CellArrays& c, std::size_t begin,
                                                               std::size_t end, double x, double y, double& ex,
                                                               double& ey) {
    double sx = ex;
    double sy = ey;
    std::size_t k = begin;
    constexpr std::size_t Block = 16;
    for (; k + Block <= end; k += Block) {
        double tx[Block], ty[Block];
        PlainTerms<Fma, Block>(c, k, x, y, tx, ty);
        for (std::size_t i = 0; i < Block; ++i) {
            sx += tx[i];
            sy += ty[i];
        }
    }
    for (; k < end; ++k) {
        double tx, ty;
        if (!FastTerm<Fma>(x, y, c.centreX[k], c.centreY[k], c.value[k], tx, ty)) continue;
        sx += tx;
        sy += ty;
    }
    ex = sx;
    ey = sy;
}

template <bool Fma>
__attribute__((always_inline)) inline void PlainComputeWith(const CellArrays& c, std::size_t begin, std::size_t end,
                                                            double x, double y, double* terms) {
    std::size_t k = begin;
    constexpr std::size_t Block = 16;
    for (; k + Block <= end; k += Block) {
        double tx[Block], ty[Block];
        PlainTerms<Fma, Block>(c, k, x, y, tx, ty);
        for (std::size_t i = 0; i < Block; ++i) {
            terms[2 * (k + i)] = tx[i];
            terms[2 * (k + i) + 1] = ty[i];
        }
    }
    for (; k < end; ++k) {
        double tx = -0.0, ty = -0.0;
        FastTerm<Fma>(x, y, c.centreX[k], c.centreY[k], c.value[k], tx, ty);
        terms[2 * k] = tx;
        terms[2 * k + 1] = ty;
    }
}

template <bool Fma>
__attribute__((always_inline)) inline std::size_t PlainCubesWith(const double* d, double* out, std::size_t n) {
    std::size_t exact = 0;
    for (std::size_t k = 0; k < n; ++k) {
        if (CheapCube<Fma>(d[k], out[k])) continue;
        out[k] = Cube(d[k]);
        ++exact;
    }
    return exact;
}

void PlainAccumulate(const CellArrays& c, std::size_t begin, std::size_t end, double x, double y, double& ex,
                     double& ey) {
    PlainAccumulateWith<false>(c, begin, end, x, y, ex, ey);
}
void PlainCompute(const CellArrays& c, std::size_t begin, std::size_t end, double x, double y, double* terms) {
    PlainComputeWith<false>(c, begin, end, x, y, terms);
}
std::size_t PlainCubes(const double* d, double* out, std::size_t n) { return PlainCubesWith<false>(d, out, n); }

// The same with fused multiply-adds, compiled for them on x86 (where the
// processor is asked first) and taken elsewhere only where the compiler says
// they are instructions.
#ifdef TOVIK_KERNEL_X86
#define TOVIK_FMA_TARGET __attribute__((target("fma")))
#else
#define TOVIK_FMA_TARGET
#endif

TOVIK_FMA_TARGET void PlainFmaAccumulate(const CellArrays& c, std::size_t begin, std::size_t end, double x,
                                         double y, double& ex, double& ey) {
    PlainAccumulateWith<true>(c, begin, end, x, y, ex, ey);
}
TOVIK_FMA_TARGET void PlainFmaCompute(const CellArrays& c, std::size_t begin, std::size_t end, double x, double y,
                                      double* terms) {
    PlainComputeWith<true>(c, begin, end, x, y, terms);
}
TOVIK_FMA_TARGET std::size_t PlainFmaCubes(const double* d, double* out, std::size_t n) {
    return PlainCubesWith<true>(d, out, n);
}

#ifdef TOVIK_KERNEL_X86

// The lanes of c whose cube the AVX-512 version leaves to the exact one; rare.
__attribute__((noinline, cold)) void CubeLanes(const double* d, double* c, unsigned lanes) {
    for (int i = 0; lanes != 0; ++i, lanes >>= 1)
        if (lanes & 1u) c[i] = Cube(d[i]);
}

// --- AVX2 and FMA: four cells at a time ---------------------------------------

// The cheap cubes of four values (CheapCube); the lanes it may miss get all
// bits set in `doubtful`. This test is coarser than CheapCubeHolds: a zero t
// is doubtful here.
__attribute__((target("avx2,fma"))) inline __m256d CheapCube4(__m256d d, __m256i& doubtful) {
    const __m256d p = _mm256_mul_pd(d, d);
    const __m256d e = _mm256_fmsub_pd(d, d, p);
    const __m256d h = _mm256_mul_pd(p, d);
    const __m256d l = _mm256_fmsub_pd(p, d, h);
    const __m256d t = _mm256_fmadd_pd(e, d, l);
    const __m256i shortT = _mm256_cmpeq_epi64(_mm256_slli_epi64(_mm256_castpd_si256(t), 16), _mm256_setzero_si256());
    // d - RangeLow > RangeSpan, unsigned, as a signed comparison.
    constexpr std::uint64_t Flip = std::uint64_t{1} << 63;
    const __m256i shifted = _mm256_add_epi64(_mm256_castpd_si256(d), _mm256_set1_epi64x(static_cast<std::int64_t>(Flip - RangeLow)));
    const __m256i outside = _mm256_cmpgt_epi64(shifted, _mm256_set1_epi64x(static_cast<std::int64_t>(Flip + RangeSpan)));
    doubtful = _mm256_or_si256(shortT, outside);
    return _mm256_add_pd(h, t);
}

// The terms of four consecutive cells starting at k through the cheap cube;
// the doubtful lanes, among them the cell at the point, are to be redone.
__attribute__((target("avx2,fma"))) inline __m256i CheapTerms4(const CellArrays& c, std::size_t k, __m256d px,
                                                               __m256d py, __m256d& tx, __m256d& ty) {
    const __m256d rx = _mm256_sub_pd(px, _mm256_loadu_pd(c.centreX + k));
    const __m256d ry = _mm256_sub_pd(py, _mm256_loadu_pd(c.centreY + k));
    const __m256d d = _mm256_sqrt_pd(_mm256_add_pd(_mm256_mul_pd(rx, rx), _mm256_mul_pd(ry, ry)));
    __m256i doubtful;
    const __m256d d3 = CheapCube4(d, doubtful);
    const __m256d w = _mm256_div_pd(_mm256_cvtps_pd(_mm_loadu_ps(c.value + k)), d3);
    tx = _mm256_mul_pd(rx, w);
    ty = _mm256_mul_pd(ry, w);
    return doubtful;
}

// Redoes the terms tx[i], ty[i] of cells k + i, i < n, that the cheap cube may
// have missed, by the scalar test and then the exact cube; a cell whose centre
// is the point gets (-0, -0). Rare.
__attribute__((target("avx2,fma"), noinline, cold)) void RedoTerms(const CellArrays& c, std::size_t k, std::size_t n,
                                                                   double x, double y, double* tx, double* ty) {
    for (std::size_t i = 0; i < n; ++i) {
        double a = -0.0, b = -0.0;
        FastTerm<true>(x, y, c.centreX[k + i], c.centreY[k + i], c.value[k + i], a, b);
        tx[i] = a;
        ty[i] = b;
    }
}

// The terms of 4 * Blocks consecutive cells starting at k, with the same bits
// as the checked walk.
template <int Blocks>
__attribute__((target("avx2,fma"), always_inline)) inline void Terms(const CellArrays& c, std::size_t k, double x,
                                                                     double y, __m256d px, __m256d py, __m256d* tx,
                                                                     __m256d* ty) {
    __m256i doubtful = _mm256_setzero_si256();
    for (int u = 0; u < Blocks; ++u)
        doubtful = _mm256_or_si256(doubtful, CheapTerms4(c, k + 4 * u, px, py, tx[u], ty[u]));
    if (_mm256_testz_si256(doubtful, doubtful)) [[likely]]
        return;
    alignas(32) double bx[4 * Blocks], by[4 * Blocks];
    for (int u = 0; u < Blocks; ++u) {
        _mm256_store_pd(bx + 4 * u, tx[u]);
        _mm256_store_pd(by + 4 * u, ty[u]);
    }
    RedoTerms(c, k, 4 * Blocks, x, y, bx, by);
    for (int u = 0; u < Blocks; ++u) {
        tx[u] = _mm256_load_pd(bx + 4 * u);
        ty[u] = _mm256_load_pd(by + 4 * u);
    }
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
        Terms<4>(c, k, x, y, px, py, tx, ty);
        for (int u = 0; u < 4; ++u) e = AddTerms4(e, tx[u], ty[u]);
    }
    for (; k + 4 <= end; k += 4) {
        __m256d tx[1], ty[1];
        Terms<1>(c, k, x, y, px, py, tx, ty);
        e = AddTerms4(e, tx[0], ty[0]);
    }
    ex = _mm_cvtsd_f64(e);
    ey = _mm_cvtsd_f64(_mm_unpackhi_pd(e, e));
    // The last cells, fewer than four, one by one.
    PlainAccumulateWith<true>(c, k, end, x, y, ex, ey);
}

__attribute__((target("avx2,fma"))) void Avx2Compute(const CellArrays& c, std::size_t begin, std::size_t end,
                                                     double x, double y, double* terms) {
    const __m256d px = _mm256_set1_pd(x);
    const __m256d py = _mm256_set1_pd(y);
    std::size_t k = begin;
    for (; k + 4 <= end; k += 4) {
        __m256d tx[1], ty[1];
        Terms<1>(c, k, x, y, px, py, tx, ty);
        const __m256d even = _mm256_unpacklo_pd(tx[0], ty[0]);
        const __m256d odd = _mm256_unpackhi_pd(tx[0], ty[0]);
        _mm256_storeu_pd(terms + 2 * k, _mm256_permute2f128_pd(even, odd, 0x20));
        _mm256_storeu_pd(terms + 2 * k + 4, _mm256_permute2f128_pd(even, odd, 0x31));
    }
    PlainComputeWith<true>(c, k, end, x, y, terms);
}

__attribute__((target("avx2,fma"))) std::size_t Avx2Cubes(const double* d, double* out, std::size_t n) {
    std::size_t k = 0, doubtfulLanes = 0;
    for (; k + 4 <= n; k += 4) {
        __m256i doubtful;
        _mm256_storeu_pd(out + k, CheapCube4(_mm256_loadu_pd(d + k), doubtful));
        const unsigned lanes = static_cast<unsigned>(_mm256_movemask_pd(_mm256_castsi256_pd(doubtful)));
        doubtfulLanes += static_cast<std::size_t>(std::popcount(lanes));
        for (int i = 0; i < 4; ++i)
            if ((lanes >> i) & 1u) PlainCubesWith<true>(d + k + i, out + k + i, 1);
    }
    return doubtfulLanes + PlainCubesWith<true>(d + k, out + k, n - k);
}

// --- AVX-512: eight cells at a time, the same arithmetic --------------------------

// GCC 12's AVX-512 headers start some results from an undefined register.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"

// The cubes of eight values, h + t as CheapCube forms them, with the lanes it
// may miss (counted in `redone`) redone by the exact cube.
__attribute__((target("avx512f,avx512dq"))) inline __m512d Cube8(__m512d d, std::size_t& redone) {
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
    redone += static_cast<std::size_t>(std::popcount(redo));
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
    std::size_t redone = 0;
    const __m512d w = _mm512_div_pd(q, Cube8(d, redone));
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

__attribute__((target("avx512f,avx512dq"))) std::size_t Avx512Cubes(const double* d, double* out, std::size_t n) {
    std::size_t k = 0, redone = 0;
    for (; k + 8 <= n; k += 8) _mm512_storeu_pd(out + k, Cube8(_mm512_loadu_pd(d + k), redone));
    return redone + Avx2Cubes(d + k, out + k, n - k);
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
        if (__builtin_cpu_supports("fma")) return Version::PlainFma;
        return Version::Plain;
    }();
    return best;
#elif defined(__FP_FAST_FMA)
    return Version::PlainFma;
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
    case Version::PlainFma: return PlainFmaAccumulate(cells, begin, end, x, y, ex, ey);
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
    case Version::PlainFma: return PlainFmaCompute(cells, begin, end, x, y, terms);
    default: return PlainCompute(cells, begin, end, x, y, terms);
    }
}

std::size_t Cubes(const double* d, double* out, std::size_t n) {
    switch (InUse()) {
#ifdef TOVIK_KERNEL_X86
    case Version::Avx512: return Avx512Cubes(d, out, n);
    case Version::Avx2: return Avx2Cubes(d, out, n);
#endif
    case Version::PlainFma: return PlainFmaCubes(d, out, n);
    default: return PlainCubes(d, out, n);
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
    case Version::PlainFma: return "plain+fma";
    default: return "plain";
    }
}

}  // namespace tovik::kernel
