#include <gtest/gtest.h>
#include <quadmath.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "field/TensionKernel.h"

namespace tovik {
namespace {

constexpr double Inf = std::numeric_limits<double>::infinity();

// The cube rounded once, worked out apart from the program: d^2 is exact in
// binary128, d^3 there is rounded to 113 bits, and its residual (exact,
// through fmaq) settles the rounding to double where the 113-bit value alone
// could mislead. For cubes in the range of finite doubles.
double ReferenceCube(double d) {
    const __float128 q = d;
    const __float128 square = q * q;
    const __float128 c = square * q;
    const __float128 residual = fmaq(square, q, -c);
    const double x = static_cast<double>(c);
    const __float128 off = (c - x) + residual;  // d^3 - x, exact
    if (off == 0) return x;
    const double neighbour = std::nextafter(x, off > 0 ? Inf : -Inf);
    const __float128 half = fabsq((static_cast<__float128>(neighbour) - x) / 2);
    if (fabsq(off) < half) return x;
    if (fabsq(off) > half) return neighbour;
    return (std::bit_cast<std::uint64_t>(x) & 1u) ? neighbour : x;  // halfway: the even one
}

// Checks Cube and the versions of the arithmetic this processor has (each
// forms the cube from two-products where it can) against the reference, and prints how often glibc's pow(d, 3.0) and d * d * d differ
// from it.
void CheckCubes(const std::vector<double>& values, const char* what) {
    const auto same = [](double a, double b) { return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b); };
    std::vector<double> expected(values.size());
    std::size_t cubeWrong = 0, powWrong = 0, productWrong = 0;
    for (std::size_t k = 0; k < values.size(); ++k) {
        const double d = values[k];
        expected[k] = ReferenceCube(d);
        if (!same(kernel::Cube(d), expected[k]) && ++cubeWrong <= 5)
            ADD_FAILURE() << what << ": Cube(" << std::hexfloat << d << ")";
        if (!same(std::pow(d, 3.0), expected[k])) ++powWrong;
        if (!same(d * d * d, expected[k])) ++productWrong;
    }
    EXPECT_EQ(cubeWrong, 0u);
    std::vector<double> vector(values.size());
    for (int v = 0; v <= static_cast<int>(kernel::BestVersion()); ++v) {
        kernel::LimitVersion(static_cast<kernel::Version>(v));
        kernel::Cubes(values.data(), vector.data(), values.size());
        std::size_t wrong = 0;
        for (std::size_t k = 0; k < values.size(); ++k)
            if (!same(vector[k], expected[k]) && ++wrong <= 5)
                ADD_FAILURE() << what << ": " << kernel::VersionName(kernel::VersionInUse()) << " cube of "
                              << std::hexfloat << values[k];
        EXPECT_EQ(wrong, 0u) << kernel::VersionName(kernel::VersionInUse());
    }
    kernel::LimitVersion(kernel::BestVersion());
    std::printf("[ cube     ] %s: %zu values, Cube and the versions up to %s right; differing: "
                "pow(d, 3.0) %zu, d * d * d %zu\n",
                what, values.size(), kernel::VersionName(kernel::BestVersion()), powWrong, productWrong);
}

// Every distance from a cell centre to a point of the drawing area, point and
// centre on whole or half pixels, as the kernel forms it.
TEST(Cube, IsRoundedOnceOnEveryOffsetOfTheArea) {
    std::vector<double> values;
    values.reserve(1625 * 1001);
    for (int hx = 0; hx <= 1624; ++hx) {
        for (int hy = 0; hy <= 1000; ++hy) {
            const double rx = hx / 2.0, ry = hy / 2.0;
            values.push_back(std::sqrt(rx * rx + ry * ry));
        }
    }
    CheckCubes(values, "offsets |dx| <= 812, |dy| <= 500 in half pixels");
}

// TOVIK_CUBE_SAMPLES sets the number of random doubles (default 10^6).
TEST(Cube, IsRoundedOnceOnRandomDoubles) {
    const char* env = std::getenv("TOVIK_CUBE_SAMPLES");
    const std::size_t total = env ? std::strtoull(env, nullptr, 10) : 1'000'000;
    std::mt19937_64 rng(20261206);
    std::uniform_real_distribution<double> distance(0.0, 1300.0);
    std::uniform_int_distribution<int> exponent(-300, 340);
    std::uniform_int_distribution<std::uint64_t> fraction(0, (std::uint64_t{1} << 52) - 1);
    std::vector<double> values;
    constexpr std::size_t Batch = 1 << 20;
    for (std::size_t done = 0; done < total; done += values.size()) {
        values.clear();
        for (std::size_t k = 0; k < std::min(Batch, total - done); ++k) {
            // Half distances within the picture, half any bits over the range
            // where the vector version works, some of them negative.
            if (k % 2 == 0) {
                values.push_back(distance(rng));
            } else {
                const std::uint64_t sign = (k % 6 == 1) ? std::uint64_t{1} << 63 : 0;
                const auto biased = static_cast<std::uint64_t>(exponent(rng) + 1023);
                values.push_back(std::bit_cast<double>(sign | (biased << 52) | fraction(rng)));
            }
        }
        CheckCubes(values, "random doubles");
    }
}

TEST(Cube, HalfwayCasesRoundToEvenAndTheEdgesOfTheRangeHold) {
    // Odd m in [2^(53/3), 2^18): m^3 has 54 bits and lies halfway between two
    // doubles. The vector version leaves these to the exact one.
    std::vector<double> halfway;
    for (std::uint64_t m = 208'065; m < (1u << 18); m += 2) {
        ASSERT_EQ(std::bit_width(m * m * m), 54) << m;
        for (const int scale : {0, -40, 60}) halfway.push_back(std::ldexp(static_cast<double>(m), scale));
    }
    CheckCubes(halfway, "halfway cubes");

    const struct { double d, cube; } cases[] = {
        {0.0, 0.0},
        {-0.0, -0.0},
        {Inf, Inf},
        {-Inf, -Inf},
        {3.0, 27.0},
        {-0.5, -0.125},
        {0x1p341, 0x1p1023},
        {0x1.428a2f98d728ap341, 0x1.ffffffffffffcp1023},  // the largest finite cube
        {0x1.428a2f98d728bp341, Inf},                     // the next double
        {1e103, Inf},
        {0x1p-358, 0x1p-1074},    // the smallest subnormal
        {0x1.9p-359, 0.0},        // 0.48 of it
        {0x1.bp-359, 0x1p-1074},  // 0.60 of it
        {std::numeric_limits<double>::denorm_min(), 0.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hexfloat << c.d);
        const double got = kernel::Cube(c.d);
        EXPECT_EQ(std::bit_cast<std::uint64_t>(got), std::bit_cast<std::uint64_t>(c.cube)) << std::hexfloat << got;
    }
    EXPECT_TRUE(std::isnan(kernel::Cube(std::numeric_limits<double>::quiet_NaN())));
}

}  // namespace
}  // namespace tovik
