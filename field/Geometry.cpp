#include "field/Geometry.h"

#include <cmath>

#include "model/Checked.h"

namespace tovik {

FieldVector VectorAdd(const FieldVector& a, const FieldVector& b) {
    FieldVector r;
    r.X = checked::Finite(a.X + b.X);
    r.Y = checked::Finite(a.Y + b.Y);
    return r;
}

double VectorLength(const FieldVector& a) {
    const double xx = checked::Finite(a.X * a.X);
    const double yy = checked::Finite(a.Y * a.Y);
    const double sum = checked::Finite(xx + yy);
    return std::sqrt(sum);
}

FieldVector VectorMultiply(const FieldVector& a, double k) {
    FieldVector r;
    r.X = checked::Finite(a.X * k);
    r.Y = checked::Finite(a.Y * k);
    return r;
}

FieldVector VectorDivide(const FieldVector& a, double k) {
    FieldVector r;
    r.X = checked::Divide(a.X, k);
    r.Y = checked::Divide(a.Y, k);
    return r;
}

FieldVector VectorNormalize(const FieldVector& a) {
    if (a.X == 0 && a.Y == 0) return a;
    return VectorDivide(a, VectorLength(a));
}

}  // namespace tovik
