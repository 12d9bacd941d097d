#include "model/Preparation.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "model/CellMean.h"
#include "model/Checked.h"

namespace tovik {

using namespace checked;

namespace {

// Qt's RGB32 word 0xAARRGGBB as the colour value 0x00BBGGRR.
inline std::int32_t BgrOf(std::uint32_t argb) {
    return static_cast<std::int32_t>(((argb >> 16) & 0xFFu) | (argb & 0xFF00u) | ((argb & 0xFFu) << 16));
}

}  // namespace

std::int32_t CalcSpeedForPosition(int position) {
    return Round32(std::pow(2.0, static_cast<double>(5 - position)));
}

namespace {

void Sample(SimState& s, const PreparationInput& in, PreparationProgress& progress) {
    const PixelView& view = in.pixels;
    const int xEnd = Round16(static_cast<double>(ToSingle(static_cast<double>(in.scaleWidth) - 1.0)));
    const int yEnd = Round16(static_cast<double>(in.scaleHeight) - 1.0);
    // Every pixel is read once, straight from the image memory. Nothing can
    // happen between two columns, so the rows are copied in memory order and
    // the progress is then reported every fifth column.
    if (xEnd >= 0) Index(xEnd, GridColumns);
    if (yEnd >= 0) Index(yEnd, GridRows);
    for (int y = 0; y <= yEnd; ++y) {
        const std::uint32_t* src =
            y < view.height ? view.data + static_cast<std::size_t>(y) * view.strideWords : nullptr;
        std::int32_t* dst = &s.Pixel(0, y);
        for (int x = 0; x <= xEnd; ++x) dst[x] = (src && x < view.width) ? BgrOf(src[x]) : 0;
    }
    for (int x = 0; x <= xEnd; ++x)
        if (x % 5 == 0) progress.ColumnSampled(x);
}

// Returns false when the picture has no charged pixel.
bool FindChargedArea(SimState& s) {
    const int w = s.PicWidth, h = s.PicHeight;
    std::vector<char> rowCharged(static_cast<std::size_t>(std::max(h, 0)), 0);
    std::vector<char> colCharged(static_cast<std::size_t>(std::max(w, 0)), 0);
    bool any = false;
    if (w > 0) Index(w - 1, GridColumns);
    for (int y = 0; y < h && w > 0; ++y) {
        const std::int32_t* row = &s.Pixel(0, y);
        for (int x = 0; x < w; ++x) {
            if (ChargeOf(row[x]) != 0) {
                rowCharged[y] = 1;
                colCharged[x] = 1;
                any = true;
            }
        }
    }
    if (!any) {
        // A picture without charge gives an empty model: every bound 0, so
        // the one cell (0, 0) holds nothing.
        s.AreaLeft = s.AreaTop = s.AreaRight = s.AreaBottom = 0;
        return false;
    }
    const auto first = [](const std::vector<char>& v) {
        return static_cast<int>(std::find(v.begin(), v.end(), 1) - v.begin());
    };
    const auto last = [](const std::vector<char>& v) {
        return static_cast<int>(v.rend() - std::find(v.rbegin(), v.rend(), 1)) - 1;
    };
    s.AreaTop = Narrow16(first(rowCharged));
    s.AreaLeft = Narrow16(first(colCharged));
    s.AreaBottom = Narrow16(last(rowCharged));
    s.AreaRight = Narrow16(last(colCharged));
    return true;
}

void AlignArea(SimState& s) {
    const std::int32_t c = s.CalcSpeed;
    s.AreaRight = Narrow16(Add32(Mul32(Add32(Div32(Sub32(s.AreaRight, s.AreaLeft), c), 1), c), s.AreaLeft));
    s.AreaBottom = Narrow16(Add32(Mul32(Add32(Div32(Sub32(s.AreaBottom, s.AreaTop), c), 1), c), s.AreaTop));
}

void AnimateMarker(const SimState& s, const PreparationInput& in, PreparationProgress& progress) {
    progress.MarkerShown();
    float left = 0, top = 0;
    float right = in.scaleWidth;
    float bottom = in.scaleHeight;
    for (int step = 0; step < 20; ++step) {
        left = ToSingle(static_cast<double>(left) + s.AreaLeft / 20.0);
        top = ToSingle(static_cast<double>(top) + s.AreaTop / 20.0);
        const float dx = ToSingle(static_cast<double>(s.AreaRight) - in.scaleWidth);
        right = ToSingle(static_cast<double>(right) + static_cast<double>(dx) / 20.0);
        const float dy = ToSingle(static_cast<double>(s.AreaBottom) - in.scaleHeight);
        bottom = ToSingle(static_cast<double>(bottom) + static_cast<double>(dy) / 20.0);
        progress.MarkerMoved(left, top, ToSingle(static_cast<double>(right) - left),
                         ToSingle(static_cast<double>(bottom) - top));
    }
}

void Accumulate(SimState& s) {
    // Every run clears the whole grid, so no cell keeps a charge of an
    // earlier, larger area.
    std::fill(s.ChargeDensity.begin(), s.ChargeDensity.end(), 0.0f);
    const std::int32_t c = s.CalcSpeed;
    const int rows = Sub16(s.AreaBottom, s.AreaTop);
    const int cols = Sub16(s.AreaRight, s.AreaLeft);
    const double maxCharge = s.MaxCharge;
    for (int n = 0; n <= rows; ++n) {
        const int y = Add16(s.AreaTop, Narrow16(n));
        const int j = Div32(n, c);
        for (int k = 0; k <= cols; ++k) {
            const std::int32_t diff = ChargeOf(s.Pixel(Add16(s.AreaLeft, Narrow16(k)), y));
            // An uncharged pixel adds a zero and leaves the cell as it is.
            if (diff == 0) continue;
            float& cell = s.Cell(Div32(k, c), j);
            cell = ToSingle(Finite(maxCharge * diff) / 255.0 + cell);
        }
    }
}

}  // namespace

PreparationResult PrepareChargeModel(SimState& s, const PreparationInput& in, PreparationProgress& progress) {
    s.CalcSpeed = in.cellSize;
    ++s.ModelGeneration;
    // Readers keeping derived data rebuild it however the run ends.
    struct Bump {
        SimState& s;
        ~Bump() { ++s.ModelGeneration; }
    } bump{s};
    Sample(s, in, progress);
    s.PicWidth = Round16(in.scaleWidth);
    s.PicHeight = Round16(in.scaleHeight);
    if (FindChargedArea(s)) AlignArea(s);
    AnimateMarker(s, in, progress);
    Accumulate(s);
    PreparationResult r;
    r.mean = MeanCellCharge(s);
    r.meanFloor = std::floor(r.mean);
    return r;
}

}  // namespace tovik
