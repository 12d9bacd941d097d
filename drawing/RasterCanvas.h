#pragma once

#include <cstdint>

#include "drawing/DrawingPorts.h"

namespace tovik {

// Pixels to draw into: rows of 32-bit words 0xAARRGGBB, row after row with
// the given stride.
struct PixelBuffer {
    std::uint32_t* data = nullptr;
    int strideWords = 0;
    int width = 0;
    int height = 0;
};

// The memory a RasterCanvas draws into, and who is told what changed.
class RasterSurface {
public:
    virtual ~RasterSurface() = default;
    // The pixels to draw into, asked for anew before every drawing (the
    // memory may move between two drawings).
    virtual PixelBuffer Lock() = 0;
    // The pixels from (left, top) to (right, bottom), both inclusive, have
    // been drawn.
    virtual void Damaged(int left, int top, int right, int bottom) = 0;
};

// Draws points and lines into 0xAARRGGBB pixels: a point colours the pixel
// nearest to it, a line is the Bresenham line between the pixels nearest to
// its ends, both ends included, clipped to the picture. Segments far off the
// picture are clipped before they are rasterised, so a line that runs off
// costs nothing. Each drawing tells the surface what it changed.
class RasterCanvas : public Canvas {
public:
    explicit RasterCanvas(RasterSurface& surface) : surface_(surface) {}

    void SetForeColor(std::int32_t bgr) override;
    void Plot(float x, float y) override;
    void LineTo(float x, float y) override;

    std::int32_t ForeColor() const { return foreColor_; }

private:
    RasterSurface& surface_;
    std::int32_t foreColor_ = 0;
    std::uint32_t pen_ = 0xFF000000u;
    double curX_ = 0;
    double curY_ = 0;
    void Damage(int left, int top, int right, int bottom);
};

}  // namespace tovik
