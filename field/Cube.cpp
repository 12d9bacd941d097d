#include "field/Cube.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

namespace tovik::kernel {

namespace {

// A 192-bit unsigned integer, least significant word first.
struct Wide {
    std::uint64_t w[3] = {0, 0, 0};

    bool Bit(int i) const { return i < 192 && ((w[i / 64] >> (i % 64)) & 1u) != 0; }
    // Whether any of the bits below bit k is set.
    bool AnyBelow(int k) const {
        for (int i = 0; i < 3 && 64 * i < k; ++i) {
            const int bits = k - 64 * i;
            const std::uint64_t mask = bits >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << bits) - 1;
            if (w[i] & mask) return true;
        }
        return false;
    }
    // The value shifted right by s bits, 0 < s < 192, when it fits in a word.
    std::uint64_t ShiftedRight(int s) const {
        const int word = s / 64, bit = s % 64;
        std::uint64_t r = w[word] >> bit;
        if (bit != 0 && word + 1 < 3) r |= w[word + 1] << (64 - bit);
        return r;
    }
    int BitLength() const {
        for (int i = 2; i >= 0; --i)
            if (w[i] != 0) return 64 * i + 64 - std::countl_zero(w[i]);
        return 0;
    }
};

// The 128-bit product of two words, as (high, low).
inline void Multiply64(std::uint64_t a, std::uint64_t b, std::uint64_t& high, std::uint64_t& low) {
#ifdef __SIZEOF_INT128__
    const unsigned __int128 p = static_cast<unsigned __int128>(a) * b;
    low = static_cast<std::uint64_t>(p);
    high = static_cast<std::uint64_t>(p >> 64);
#else
    const std::uint64_t a0 = a & 0xFFFFFFFFu, a1 = a >> 32, b0 = b & 0xFFFFFFFFu, b1 = b >> 32;
    const std::uint64_t p00 = a0 * b0, p01 = a0 * b1, p10 = a1 * b0, p11 = a1 * b1;
    const std::uint64_t middle = (p00 >> 32) + (p01 & 0xFFFFFFFFu) + (p10 & 0xFFFFFFFFu);
    low = (middle << 32) | (p00 & 0xFFFFFFFFu);
    high = p11 + (p01 >> 32) + (p10 >> 32) + (middle >> 32);
#endif
}

// m cubed, for m below 2^53.
inline Wide CubeOf(std::uint64_t m) {
    std::uint64_t squareHigh, squareLow;
    Multiply64(m, m, squareHigh, squareLow);  // below 2^106
    std::uint64_t lowHigh, lowLow, highHigh, highLow;
    Multiply64(squareLow, m, lowHigh, lowLow);
    Multiply64(squareHigh, m, highHigh, highLow);  // below 2^95
    Wide c;
    c.w[0] = lowLow;
    c.w[1] = lowHigh + highLow;
    c.w[2] = highHigh + (c.w[1] < lowHigh ? 1 : 0);
    return c;
}

}  // namespace

double Cube(double d) {
    if (d == 0 || !std::isfinite(d)) return d * d * d;  // zeros, infinities and NaN keep their kind
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(std::fabs(d));
    const int biased = static_cast<int>(bits >> 52);
    const std::uint64_t fraction = bits & ((std::uint64_t{1} << 52) - 1);
    // |d| = m * 2^k with m below 2^53, so |d|^3 = m^3 * 2^(3k).
    const std::uint64_t m = biased == 0 ? fraction : fraction | (std::uint64_t{1} << 52);
    const int k = (biased == 0 ? 1 : biased) - 1075;
    const Wide c = CubeOf(m);
    const int length = c.BitLength();
    const int top = length - 1 + 3 * k;  // exponent of the leading bit
    if (top > 1023) return std::copysign(std::numeric_limits<double>::infinity(), d);
    // The last bit kept: 52 below the leading one, or the last bit of the
    // subnormal numbers. The result is kept * 2^last, kept below 2^53 or
    // just reaching it after rounding up.
    const int last = std::max(top - 52, -1074);
    const int shift = last - 3 * k;
    std::uint64_t kept;
    if (shift <= 0) {
        kept = c.w[0] << -shift;  // exact: at most 53 bits
    } else {
        kept = shift < 192 ? c.ShiftedRight(shift) : 0;
        const bool half = c.Bit(shift - 1);
        if (half && ((kept & 1u) || c.AnyBelow(std::min(shift - 1, 192)))) ++kept;
    }
    // The bits of kept * 2^last: the exponent field counts from 2^-1074 for
    // subnormal numbers, and a carry out of the fraction moves the exponent up
    // by one, up to the bits of infinity.
    const std::uint64_t result = (static_cast<std::uint64_t>(last + 1075) << 52) + kept - (std::uint64_t{1} << 52);
    return std::copysign(std::bit_cast<double>(result), d);
}

}  // namespace tovik::kernel
