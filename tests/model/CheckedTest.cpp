#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

#include "model/Checked.h"

namespace tovik {
namespace {

using namespace checked;

TEST(Checked, OperationsAtTheirBoundariesFail) {
    using K = RunTimeErrorKind;
    const double inf = std::numeric_limits<double>::infinity();
    const struct { const char* name; std::function<void()> op; K kind; } cases[] = {
        {"16-bit add past the top", [] { Add16(32767, 1); }, K::Overflow},
        {"16-bit subtract past the bottom", [] { Sub16(-32768, 1); }, K::Overflow},
        {"16-bit multiply", [] { Mul16(256, 128); }, K::Overflow},
        {"16-bit divide -32768 by -1", [] { Div16(-32768, -1); }, K::Overflow},
        {"32-bit add", [] { Add32(2147483647, 1); }, K::Overflow},
        {"32-bit subtract", [] { Sub32(-2147483647 - 1, 1); }, K::Overflow},
        {"32-bit multiply", [] { Mul32(65536, 32768); }, K::Overflow},
        {"32-bit divide by zero", [] { Div32(1, 0); }, K::DivisionByZero},
        {"16-bit divide by zero", [] { Div16(1, 0); }, K::DivisionByZero},
        {"narrow 32768 to 16 bits", [] { Narrow16(32768); }, K::Overflow},
        {"narrow 2^31 to 32 bits", [] { Narrow32(2147483648LL); }, K::Overflow},
        {"round 32767.5 to 16 bits", [] { Round16(32767.5); }, K::Overflow},
        {"round NaN", [] { Round32(std::nan("")); }, K::InvalidOperation},
        {"round 1e10 to 32 bits", [] { Round32(1e10); }, K::Overflow},
        {"infinite result", [inf] { Finite(inf); }, K::Overflow},
        {"NaN result", [] { Finite(std::nan("")); }, K::InvalidOperation},
        {"divide by zero", [] { Divide(1.0, 0.0); }, K::DivisionByZero},
        {"zero by zero", [] { Divide(0.0, 0.0); }, K::InvalidOperation},
        {"single overflow", [] { ToSingle(1e39); }, K::Overflow},
        {"index -1", [] { Index(-1, 10); }, K::SubscriptOutOfRange},
        {"index at extent", [] { Index(10, 10); }, K::SubscriptOutOfRange},
    };
    for (const auto& c : cases) {
        try {
            c.op();
            ADD_FAILURE() << c.name << ": no error";
        } catch (const RunTimeError& e) {
            EXPECT_EQ(e.kind(), c.kind) << c.name;
        }
    }
}

TEST(Checked, ValuesInsideTheRangePass) {
    EXPECT_EQ(Add16(32766, 1), 32767);
    EXPECT_EQ(Sub16(-32767, 1), -32768);
    EXPECT_EQ(Div32(-7, 2), -3);  // truncates toward zero
    EXPECT_EQ(Mod32(-7, 2), -1);  // the remainder takes the dividend's sign
    EXPECT_EQ(Index(9, 10), 9);
    EXPECT_EQ(ToSingle(0.1), 0.1f);
}

TEST(Checked, RoundingGoesToTheNearestWithTiesToEven) {
    const struct { double in; int out; } cases[] = {
        {2.5, 2}, {3.5, 4}, {-2.5, -2}, {-3.5, -4}, {0.5, 0}, {1.5, 2},
        {2.4999, 2}, {-0.4, 0}, {32767.4, 32767}, {-32768.5, -32768},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Round32(c.in), c.out) << c.in;
        EXPECT_EQ(Round16(c.in), c.out) << c.in;
    }
    EXPECT_EQ(Floor32(-2.5), -3);
    EXPECT_EQ(Floor32(2.5), 2);
}

}  // namespace
}  // namespace tovik
