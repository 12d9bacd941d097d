#include <gtest/gtest.h>

#include <array>
#include <limits>

#include "field/Geometry.h"
#include "model/RunTimeError.h"

namespace tovik {
namespace {

TEST(Geometry, Examples) {
    const struct { FieldVector in, out; } normalize[] = {
        {{3, 4}, {0.6, 0.8}}, {{0, 0}, {0, 0}}, {{-2, 0}, {-1, 0}}, {{-0.0, 0}, {-0.0, 0}},
    };
    for (const auto& c : normalize) {
        const FieldVector r = VectorNormalize(c.in);
        EXPECT_DOUBLE_EQ(r.X, c.out.X);
        EXPECT_DOUBLE_EQ(r.Y, c.out.Y);
    }
    const FieldVector m = VectorMultiply({0.5, 0.75}, -4), sum = VectorAdd(ZeroVector, {1.25, -7.5});
    EXPECT_EQ((std::array{VectorLength({3, 4}), m.X, m.Y, sum.X, sum.Y}), (std::array{5.0, -2.0, -3.0, 1.25, -7.5}));
}

TEST(Geometry, FloatingPointErrorsAreRunTimeErrors) {
    const double big = std::numeric_limits<double>::max();
    try {
        VectorDivide({1, 2}, 0);
        FAIL();
    } catch (const RunTimeError& e) {
        EXPECT_EQ(e.kind(), RunTimeErrorKind::DivisionByZero);
    }
    EXPECT_THROW(VectorAdd({big, 0}, {big, 0}), RunTimeError);
    EXPECT_THROW(VectorMultiply({big, 0}, 2), RunTimeError);
    EXPECT_THROW(VectorLength({big, 0}), RunTimeError);
}

}  // namespace
}  // namespace tovik
