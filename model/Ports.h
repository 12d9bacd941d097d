#pragma once

// The small ports through which the charge model and the field code take what
// the machine gives them: time, random numbers and the picture's pixels.

#include <cstdint>
#include <memory>

namespace tovik {

// A monotonic clock in seconds with fractions; only differences are used.
class Clock {
public:
    virtual ~Clock() = default;
    virtual double Seconds() = 0;
};

// Uniform single-precision numbers in [0, 1), seeded anew for every run of
// automatic tracing.
class RandomSource {
public:
    virtual ~RandomSource() = default;
    virtual void Randomize() = 0;
    virtual float Rnd() = 0;
    // A generator in the same state, which draws the same numbers from here.
    virtual std::unique_ptr<RandomSource> Clone() const = 0;
};

// A read-only view of the drawing area's pixels: rows of 32-bit words
// 0xAARRGGBB, row after row with the given stride.
struct PixelView {
    const std::uint32_t* data = nullptr;
    int strideWords = 0;
    int width = 0;
    int height = 0;
};

}  // namespace tovik
