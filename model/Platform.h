#pragma once

// The small interfaces through which the charge model and the field code talk
// to the window, the event loop and the settings store.

#include <cstdint>
#include <string>
#include <string_view>

namespace tovik {

// A monotonic clock in seconds with fractions; only differences are used.
class Clock {
public:
    virtual ~Clock() = default;
    virtual double Seconds() = 0;
};

// Lets the event loop handle all pending events once.
class EventLoop {
public:
    virtual ~EventLoop() = default;
    // Returns false when the window that the running command works on has
    // gone away during the yield; the command must then end without touching
    // it again.
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

// Drawing on the picture area.
class Canvas {
public:
    virtual ~Canvas() = default;
    // Colour as 0x00BBGGRR.
    virtual void SetForeColor(std::int32_t bgr) = 0;
    virtual void Plot(float x, float y) = 0;
    virtual void LineTo(float x, float y) = 0;
};

// A read-only view of the drawing area's pixels: rows of 32-bit words
// 0xAARRGGBB (Qt's RGB32 layout), row after row with the given stride.
struct PixelView {
    const std::uint32_t* data = nullptr;
    int strideWords = 0;
    int width = 0;
    int height = 0;
};

}  // namespace tovik
