#pragma once

namespace tovik {

// A plane vector: a field strength, an offset or a tracing step.
struct FieldVector {
    double X = 0;
    double Y = 0;
};

// The zero vector.
inline constexpr FieldVector ZeroVector{0, 0};

// Each operation checks every component it computes: an overflow, a division
// by zero or an invalid operation throws RunTimeError.
FieldVector VectorAdd(const FieldVector& a, const FieldVector& b);
double VectorLength(const FieldVector& a);
FieldVector VectorMultiply(const FieldVector& a, double k);
FieldVector VectorDivide(const FieldVector& a, double k);
// a divided by its length, or a itself when it is the zero vector.
FieldVector VectorNormalize(const FieldVector& a);

}  // namespace tovik
