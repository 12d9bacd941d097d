#include "model/Preparation.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "model/CellMean.h"
#include "model/Checked.h"
#include "model/NumberText.h"

namespace tovik {

namespace {

using namespace checked;

// Qt's RGB32 word 0xAARRGGBB as the colour value 0x00BBGGRR.
inline std::int32_t BgrOf(std::uint32_t argb) {
    return static_cast<std::int32_t>(((argb >> 16) & 0xFFu) | (argb & 0xFF00u) | ((argb & 0xFFu) << 16));
}

}  // namespace

Preparation::Preparation(SimState& state, PreparationHost& host, SettingsWriter& settings, Clock& clock,
                         EventLoop& loop)
    : s_(state), host_(host), settings_(settings), clock_(clock), loop_(loop) {}

std::int32_t Preparation::CalcSpeedForPosition(int position) {
    return Round32(std::pow(2.0, static_cast<double>(5 - position)));
}

void Preparation::Run() {
    // The elapsed time is measured in double precision: a single-precision
    // reading of a clock that has run for hours would only resolve whole
    // fractions of a second.
    const double start = clock_.Seconds();
    host_.DisablePreparationControls();
    bool finished = false;
    try {
        settings_.RegPrepare();
        s_.CalcSpeed = CalcSpeedForPosition(host_.CalcSliderPosition());
        settings_.SetKeyValue("CalcSpeed", NumberToText(s_.CalcSpeed));

        host_.SetProgressMax(ToSingle(static_cast<double>(host_.ScaleWidth()) - 1.0));
        host_.ShowProgress(true);
        // The only yield of the run. When the window goes away meanwhile,
        // nothing of it may be touched again.
        if (!loop_.Yield()) return;

        ++s_.ModelGeneration;
        Sample();
        s_.PicWidth = Round16(host_.ScaleWidth());
        s_.PicHeight = Round16(host_.ScaleHeight());
        if (FindChargedArea()) AlignArea();
        AnimateMarker();
        Accumulate();
        ++s_.ModelGeneration;
        ShowMean();

        host_.SetProgressValue(host_.ProgressMax());
        host_.SetPrepareCaption("Переподготовка");
        host_.EnablePreparationControls();
        finished = true;
        host_.ShowMarker(false);
        host_.ShowLabel(false);
        host_.ShowProgress(false);
        host_.SetElapsedText(DoubleToText(clock_.Seconds() - start));
    } catch (...) {
        // A run that fails part-way gives its controls back.
        ++s_.ModelGeneration;
        if (!finished) host_.RestorePreparationControls();
        throw;
    }
}

void Preparation::Sample() {
    const int xEnd = Round16(host_.ProgressMax());
    const PixelView view = host_.Pixels();
    const int yEnd = Round16(static_cast<double>(host_.ScaleHeight()) - 1.0);
    // Every pixel is read once, straight from the image memory. Nothing can
    // happen between two columns, so the rows are copied in memory order and
    // the progress bar is then moved every fifth column.
    if (xEnd >= 0) Index(xEnd, GridColumns);
    if (yEnd >= 0) Index(yEnd, GridRows);
    for (int y = 0; y <= yEnd; ++y) {
        const std::uint32_t* src = y < view.height ? view.data + static_cast<std::size_t>(y) * view.strideWords : nullptr;
        std::int32_t* dst = &s_.Pixel(0, y);
        for (int x = 0; x <= xEnd; ++x) dst[x] = (src && x < view.width) ? BgrOf(src[x]) : 0;
    }
    for (int x = 0; x <= xEnd; ++x)
        if (x % 5 == 0) host_.SetProgressValue(static_cast<float>(x));
}

bool Preparation::FindChargedArea() {
    const int w = s_.PicWidth, h = s_.PicHeight;
    std::vector<char> rowCharged(static_cast<std::size_t>(std::max(h, 0)), 0);
    std::vector<char> colCharged(static_cast<std::size_t>(std::max(w, 0)), 0);
    bool any = false;
    if (w > 0) Index(w - 1, GridColumns);
    for (int y = 0; y < h && w > 0; ++y) {
        const std::int32_t* row = &s_.Pixel(0, y);
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
        s_.AreaLeft = s_.AreaTop = s_.AreaRight = s_.AreaBottom = 0;
        return false;
    }
    const auto first = [](const std::vector<char>& v) {
        return static_cast<int>(std::find(v.begin(), v.end(), 1) - v.begin());
    };
    const auto last = [](const std::vector<char>& v) {
        return static_cast<int>(v.rend() - std::find(v.rbegin(), v.rend(), 1)) - 1;
    };
    s_.AreaTop = Narrow16(first(rowCharged));
    s_.AreaLeft = Narrow16(first(colCharged));
    s_.AreaBottom = Narrow16(last(rowCharged));
    s_.AreaRight = Narrow16(last(colCharged));
    return true;
}

void Preparation::AlignArea() {
    const std::int32_t c = s_.CalcSpeed;
    s_.AreaRight = Narrow16(Add32(Mul32(Add32(Div32(Sub32(s_.AreaRight, s_.AreaLeft), c), 1), c), s_.AreaLeft));
    s_.AreaBottom = Narrow16(Add32(Mul32(Add32(Div32(Sub32(s_.AreaBottom, s_.AreaTop), c), 1), c), s_.AreaTop));
}

void Preparation::AnimateMarker() {
    host_.ShowMarker(true);
    float left = 0, top = 0;
    float right = host_.ScaleWidth();
    float bottom = host_.ScaleHeight();
    for (int step = 0; step < 20; ++step) {
        left = ToSingle(static_cast<double>(left) + s_.AreaLeft / 20.0);
        top = ToSingle(static_cast<double>(top) + s_.AreaTop / 20.0);
        const float dx = ToSingle(static_cast<double>(s_.AreaRight) - host_.ScaleWidth());
        right = ToSingle(static_cast<double>(right) + static_cast<double>(dx) / 20.0);
        const float dy = ToSingle(static_cast<double>(s_.AreaBottom) - host_.ScaleHeight());
        bottom = ToSingle(static_cast<double>(bottom) + static_cast<double>(dy) / 20.0);
        host_.MoveMarker(left, top, ToSingle(static_cast<double>(right) - left),
                         ToSingle(static_cast<double>(bottom) - top));
    }
}

void Preparation::Accumulate() {
    // Every run clears the whole grid, so no cell keeps a charge of an
    // earlier, larger area.
    std::fill(s_.ChargeDensity.begin(), s_.ChargeDensity.end(), 0.0f);
    const std::int32_t c = s_.CalcSpeed;
    const int rows = Sub16(s_.AreaBottom, s_.AreaTop);
    const int cols = Sub16(s_.AreaRight, s_.AreaLeft);
    const double maxCharge = s_.MaxCharge;
    for (int n = 0; n <= rows; ++n) {
        const int y = Add16(s_.AreaTop, Narrow16(n));
        const int j = Div32(n, c);
        for (int k = 0; k <= cols; ++k) {
            const std::int32_t diff = ChargeOf(s_.Pixel(Add16(s_.AreaLeft, Narrow16(k)), y));
            // An uncharged pixel adds a zero and leaves the cell as it is.
            if (diff == 0) continue;
            float& cell = s_.Cell(Div32(k, c), j);
            cell = ToSingle(Finite(maxCharge * diff) / 255.0 + cell);
        }
    }
}

void Preparation::ShowMean() {
    host_.SetLabelText(DoubleToText(std::floor(MeanCellCharge(s_))));
    const float left = CentredLabelPosition(s_.AreaRight, s_.AreaLeft, host_.LabelWidth());
    const float top = CentredLabelPosition(s_.AreaBottom, s_.AreaTop, host_.LabelHeight());
    host_.MoveLabel(left, top);
    host_.ShowLabel(true);
    host_.RepaintLabel();
}

}  // namespace tovik
