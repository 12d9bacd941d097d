#pragma once

namespace tovik::kernel {

// The cube of d rounded once to the nearest double, ties to even: the bits of
// d * d * d worked out exactly and then rounded. Exact integer arithmetic, on
// any processor.
double Cube(double d);

}  // namespace tovik::kernel
