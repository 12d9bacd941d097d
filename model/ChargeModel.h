#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "model/Checked.h"

namespace tovik {

// The fixed drawing area of the picture box.
inline constexpr int DrawingWidth = 781;
inline constexpr int DrawingHeight = 469;

// Largest cell side the cell-size slider offers.
inline constexpr int MaxCellSide = 32;

// Extent of both grids. An aligned bound lies at most one cell side beyond the
// last charged pixel, so with the largest cell the area may reach column
// 780 + 32 = 812 and row 468 + 32 = 500; the grids hold every pixel and cell
// that Preparation and its readers can touch at any cell size. Elements
// outside the drawing area are never written and read as 0.
inline constexpr int GridColumns = DrawingWidth - 1 + MaxCellSide + 1;  // 813
inline constexpr int GridRows = 501;
static_assert(GridRows >= DrawingHeight - 1 + MaxCellSide + 1);

// What one Preparation made of the picture: the sampled pixels, the charge of
// every cell, the bounds of the charged area and the size of the drawing
// area. Once published it never changes; readers share it as a
// ChargeModelPtr and keep the one they were given.
struct ChargeModel {
    ChargeModel();

    // Colour of pixel (x, y) as 0x00BBGGRR, as the Preparation sampled it.
    std::vector<std::int32_t> PixelColor;
    // Charge of cell (i, j): the sum of its pixels' charge densities.
    std::vector<float> ChargeDensity;

    std::int16_t AreaLeft = 0;
    std::int16_t AreaTop = 0;
    std::int16_t AreaRight = 0;
    std::int16_t AreaBottom = 0;
    std::int16_t PicWidth = 0;
    std::int16_t PicHeight = 0;
    // Side of the cells the Preparation computed.
    std::int32_t CellSide = 0;

    static std::size_t Offset(int column, int row) {
        return static_cast<std::size_t>(checked::Index(row, GridRows)) * GridColumns +
               static_cast<std::size_t>(checked::Index(column, GridColumns));
    }
    std::int32_t& Pixel(int x, int y) { return PixelColor[Offset(x, y)]; }
    std::int32_t Pixel(int x, int y) const { return PixelColor[Offset(x, y)]; }
    float& Cell(int i, int j) { return ChargeDensity[Offset(i, j)]; }
    float Cell(int i, int j) const { return ChargeDensity[Offset(i, j)]; }
};

using ChargeModelPtr = std::shared_ptr<const ChargeModel>;

// A model of nothing: every grid element and every bound zero, as before the
// first Preparation.
ChargeModelPtr EmptyChargeModel();

// Colour decomposition with signed 32-bit arithmetic.
inline std::int32_t RedOf(std::int32_t c) { return c % 256; }
inline std::int32_t BlueOf(std::int32_t c) { return c / 65536; }
// A pixel is charged when blue - red is not zero.
inline std::int32_t ChargeOf(std::int32_t c) { return BlueOf(c) - RedOf(c); }

}  // namespace tovik
