#pragma once

// What drawing the engine's lines needs of whoever shows them: the window, or
// the command-line renderer.

#include <cstdint>

namespace tovik {

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

// Lets the event loop handle pending events while lines are drawn.
class EventLoop {
public:
    virtual ~EventLoop() = default;
    // After every step of a line. It may let the events run, or return at
    // once when they ran a moment ago. False when the running command must
    // end at once: its window has gone away, or the user asked it to stop.
    virtual bool Yield() = 0;
    // While the drawing waits for a line that another thread traces: lets
    // the events run. False as for Yield.
    virtual bool Idle() = 0;
    // Counts the passes in which events ran; while it stays the same, no
    // event can have changed anything.
    virtual std::uint64_t Passes() const = 0;
};

// An event loop with no events: for drawing without a window.
class NoEventLoop : public EventLoop {
public:
    bool Yield() override { return true; }
    bool Idle() override { return true; }
    std::uint64_t Passes() const override { return 0; }
};

}  // namespace tovik
