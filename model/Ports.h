#pragma once

// The small ports through which the charge model and the field code talk to
// whoever drives them: the main window, or the command-line renderer.

#include <cstdint>
#include <string_view>

namespace tovik {

// A monotonic clock in seconds with fractions; only differences are used.
class Clock {
public:
    virtual ~Clock() = default;
    virtual double Seconds() = 0;
};

// Lets the event loop handle pending events.
class EventLoop {
public:
    virtual ~EventLoop() = default;
    // Returns false when the running command must end at once: its window
    // has gone away, or the user asked it to stop. The command then ends
    // without touching the window again.
    virtual bool Yield() = 0;
};

// The writing side of the settings store.
class SettingsWriter {
public:
    virtual ~SettingsWriter() = default;
    // Opens the settings key (creating it when missing); an open key stays open.
    virtual void RegPrepare() = 0;
    // Stores a text value under the open key. Failures are silent.
    virtual void SetKeyValue(std::string_view name, std::string_view text) = 0;
};

// Drawing on the picture.
class Canvas {
public:
    virtual ~Canvas() = default;
    // Colour as 0x00BBGGRR.
    virtual void SetForeColor(std::int32_t bgr) = 0;
    // Colours the pixel at (x, y) and makes it the current drawing position.
    virtual void Plot(float x, float y) = 0;
    // A segment from the current drawing position to (x, y), which becomes
    // the current position; what falls outside the picture is clipped.
    virtual void LineTo(float x, float y) = 0;
};

// Uniform single-precision numbers in [0, 1), seeded anew for every run of
// automatic tracing.
class RandomSource {
public:
    virtual ~RandomSource() = default;
    virtual void Randomize() = 0;
    virtual float Rnd() = 0;
};

// The system's signal sound.
class Beeper {
public:
    virtual ~Beeper() = default;
    virtual void Beep() = 0;
};

// A read-only view of the drawing area's pixels: rows of 32-bit words
// 0xAARRGGBB, row after row with the given stride.
struct PixelView {
    const std::uint32_t* data = nullptr;
    int strideWords = 0;
    int width = 0;
    int height = 0;
};

// The same pixels, writable.
struct PixelBuffer {
    std::uint32_t* data = nullptr;
    int strideWords = 0;
    int width = 0;
    int height = 0;
};

}  // namespace tovik
