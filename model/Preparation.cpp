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

void Sample(ChargeModel& s, const PreparationInput& in, PreparationProgress& progress) {
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
bool FindChargedArea(ChargeModel& s) {
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

void AlignArea(ChargeModel& s) {
    const std::int32_t c = s.CellSide;
    s.AreaRight = Narrow16(Add32(Mul32(Add32(Div32(Sub32(s.AreaRight, s.AreaLeft), c), 1), c), s.AreaLeft));
    s.AreaBottom = Narrow16(Add32(Mul32(Add32(Div32(Sub32(s.AreaBottom, s.AreaTop), c), 1), c), s.AreaTop));
}

void AnimateMarker(const ChargeModel& s, const PreparationInput& in, PreparationProgress& progress) {
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

// Every run starts from a grid of zeros, so no cell keeps a charge of an
// earlier, larger area.
void Accumulate(ChargeModel& s, double maxCharge) {
    const std::int32_t c = s.CellSide;
    const int rows = Sub16(s.AreaBottom, s.AreaTop);
    const int cols = Sub16(s.AreaRight, s.AreaLeft);
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

PreparationResult PrepareChargeModel(SimState& state, const PreparationInput& in, PreparationProgress& progress) {
    state.CalcSpeed = in.cellSize;
    auto model = std::make_shared<ChargeModel>();
    model->CellSide = in.cellSize;
    // The model is published however the run ends: a run stopped by an error
    // leaves what its steps had computed, as any command does.
    struct Publish {
        SimState& state;
        std::shared_ptr<ChargeModel>& model;
        ~Publish() { state.Model = std::move(model); }
    } publish{state, model};
    ChargeModel& s = *model;
    Sample(s, in, progress);
    s.PicWidth = Round16(in.scaleWidth);
    s.PicHeight = Round16(in.scaleHeight);
    if (FindChargedArea(s)) AlignArea(s);
    AnimateMarker(s, in, progress);
    Accumulate(s, state.MaxCharge);
    PreparationResult r;
    r.mean = MeanCellCharge(s, state.CalcSpeed);
    r.meanFloor = std::floor(r.mean);
    return r;
}

}  // namespace tovik
