#pragma once

// Checked arithmetic: every integer operation is checked for overflow, every
// floating-point result for overflow, division by zero and invalid operation.
// A failed check throws RunTimeError.

#include <cmath>
#include <cstdint>
#include <limits>

#include "model/RunTimeError.h"

namespace tovik::checked {

[[noreturn]] inline void Fail(RunTimeErrorKind kind) { throw RunTimeError(kind); }

template <typename T>
inline T Narrow(std::int64_t v) {
    if (v < std::numeric_limits<T>::min() || v > std::numeric_limits<T>::max())
        Fail(RunTimeErrorKind::Overflow);
    return static_cast<T>(v);
}

inline std::int16_t Narrow16(std::int64_t v) { return Narrow<std::int16_t>(v); }
inline std::int32_t Narrow32(std::int64_t v) { return Narrow<std::int32_t>(v); }

inline std::int16_t Add16(std::int16_t a, std::int16_t b) { return Narrow16(std::int64_t{a} + b); }
inline std::int16_t Sub16(std::int16_t a, std::int16_t b) { return Narrow16(std::int64_t{a} - b); }
inline std::int16_t Mul16(std::int16_t a, std::int16_t b) { return Narrow16(std::int64_t{a} * b); }
inline std::int32_t Add32(std::int32_t a, std::int32_t b) { return Narrow32(std::int64_t{a} + b); }
inline std::int32_t Sub32(std::int32_t a, std::int32_t b) { return Narrow32(std::int64_t{a} - b); }
inline std::int32_t Mul32(std::int32_t a, std::int32_t b) { return Narrow32(std::int64_t{a} * b); }

// Integer division truncating toward zero; the remainder takes the sign of
// the dividend.
inline std::int32_t Div32(std::int32_t a, std::int32_t b) {
    if (b == 0) Fail(RunTimeErrorKind::DivisionByZero);
    return Narrow32(std::int64_t{a} / b);
}
inline std::int16_t Div16(std::int16_t a, std::int16_t b) {
    if (b == 0) Fail(RunTimeErrorKind::DivisionByZero);
    return Narrow16(std::int64_t{a} / b);
}
inline std::int32_t Mod32(std::int32_t a, std::int32_t b) {
    if (b == 0) Fail(RunTimeErrorKind::DivisionByZero);
    return static_cast<std::int32_t>(std::int64_t{a} % b);
}

// A floating-point result must be finite: infinity is an overflow, NaN an
// invalid operation.
inline double Finite(double v) {
    if (std::isnan(v)) Fail(RunTimeErrorKind::InvalidOperation);
    if (std::isinf(v)) Fail(RunTimeErrorKind::Overflow);
    return v;
}

// Rounding of a double to single precision; a value beyond the single range
// is an overflow.
inline float ToSingle(double v) {
    Finite(v);
    const float f = static_cast<float>(v);
    if (std::isinf(f)) Fail(RunTimeErrorKind::Overflow);
    return f;
}

inline double Divide(double a, double b) {
    if (b == 0.0) Fail(a == 0.0 || std::isnan(a) ? RunTimeErrorKind::InvalidOperation
                                                  : RunTimeErrorKind::DivisionByZero);
    return Finite(a / b);
}

// Conversion of a floating value to an integer, rounding to the nearest
// integer with ties to the even one.
template <typename T>
inline T Round(double v) {
    if (std::isnan(v)) Fail(RunTimeErrorKind::InvalidOperation);
    const double r = std::nearbyint(v);  // the default rounding mode: ties to even
    if (!(r >= static_cast<double>(std::numeric_limits<T>::min()) &&
          r <= static_cast<double>(std::numeric_limits<T>::max())))
        Fail(RunTimeErrorKind::Overflow);
    return static_cast<T>(r);
}
inline std::int16_t Round16(double v) { return Round<std::int16_t>(v); }
inline std::int32_t Round32(double v) { return Round<std::int32_t>(v); }

// The largest integer not above v.
inline std::int32_t Floor32(double v) { return Round<std::int32_t>(std::floor(Finite(v))); }

// A grid index must lie within 0..extent-1.
inline int Index(int v, int extent) {
    if (v < 0 || v >= extent) Fail(RunTimeErrorKind::SubscriptOutOfRange);
    return v;
}

}  // namespace tovik::checked
