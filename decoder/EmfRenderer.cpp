#include "decoder/EmfRenderer.h"

#include <emf2svg.h>

#include <QByteArray>
#include <QImage>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainterPath>
#include <QPainter>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace tovik::metafile {

namespace {

constexpr std::uint32_t kHeaderRecord = 1;
constexpr std::uint32_t kEndOfFileRecord = 14;
constexpr std::uint32_t kSignature = 0x464D4520u;  // " EMF"
constexpr std::size_t kMinHeaderSize = 88;
constexpr double kScreenDpi = 96.0;
constexpr double kHundredthsMmPerInch = 2540.0;

std::uint32_t U32(const std::vector<unsigned char>& d, std::size_t at) {
    return static_cast<std::uint32_t>(d[at]) | (static_cast<std::uint32_t>(d[at + 1]) << 8) |
           (static_cast<std::uint32_t>(d[at + 2]) << 16) | (static_cast<std::uint32_t>(d[at + 3]) << 24);
}
std::int32_t S32(const std::vector<unsigned char>& d, std::size_t at) {
    return static_cast<std::int32_t>(U32(d, at));
}
void PutS32(std::vector<unsigned char>& d, std::size_t at, std::int32_t v) {
    const auto u = static_cast<std::uint32_t>(v);
    for (int i = 0; i < 4; ++i) d[at + i] = static_cast<unsigned char>(u >> (8 * i));
}

struct Rect {
    double left = 0, top = 0, right = 0, bottom = 0;
    double width() const { return right - left; }
    double height() const { return bottom - top; }
};

Rect RectAt(const std::vector<unsigned char>& d, std::size_t at) {
    return {static_cast<double>(S32(d, at)), static_cast<double>(S32(d, at + 4)),
            static_cast<double>(S32(d, at + 8)), static_cast<double>(S32(d, at + 12))};
}

// The records must tile the file from the header to an end-of-file record;
// anything else is cut short or damaged and is not handed to the library.
bool RecordsWellFormed(const std::vector<unsigned char>& d, std::string* error) {
    const std::uint32_t declared = U32(d, 48);
    if (declared > d.size()) {
        *error = "the metafile is cut short";
        return false;
    }
    std::size_t pos = 0;
    while (pos + 8 <= declared) {
        const std::uint32_t type = U32(d, pos);
        const std::uint32_t size = U32(d, pos + 4);
        if (size < 8 || size % 4 != 0 || size > declared - pos) {
            *error = "a record runs past the end of the metafile";
            return false;
        }
        if (pos == 0 && (type != kHeaderRecord || size < kMinHeaderSize)) {
            *error = "the header record is damaged";
            return false;
        }
        if (type == kEndOfFileRecord) return true;
        pos += size;
    }
    *error = "the metafile has no end record";
    return false;
}

// libemf2svg outlines a shape drawn with the null pen in its fill colour,
// one pixel wide, to hide the seams between anti-aliased neighbours. Drawn
// without anti-aliasing shapes need no such outline, and Windows draws none:
// it is taken out. Only that outline is written as stroke-width="1px" before
// its colour; the outline of a pen gives its width as a number.
QByteArray WithoutNullPenOutlines(const QByteArray& svg) {
    static const QRegularExpression outline(QStringLiteral(R"(stroke-width="1px" stroke="#[0-9A-Fa-f]{6}" )"));
    return QString::fromUtf8(svg).replace(outline, QStringLiteral(R"(stroke="none" )")).toUtf8();
}

// A paint engine that hands everything drawn on it to a painter on an image,
// render hints aside. QSvgRenderer switches anti-aliasing on for itself;
// drawn through this engine, shapes keep crisp edges as Windows draws them,
// a pixel taking the colour of a shape when its centre lies inside. Text
// keeps the painter's text anti-aliasing.
class CrispEngine : public QPaintEngine {
public:
    explicit CrispEngine(QPainter& target) : QPaintEngine(QPaintEngine::AllFeatures), target_(target) {}

    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    Type type() const override { return QPaintEngine::User; }

    void updateState(const QPaintEngineState& state) override {
        const DirtyFlags dirty = state.state();
        if (dirty & DirtyTransform) target_.setTransform(state.transform());
        if (dirty & DirtyPen) target_.setPen(state.pen());
        if (dirty & DirtyBrush) target_.setBrush(state.brush());
        if (dirty & DirtyBrushOrigin) target_.setBrushOrigin(state.brushOrigin());
        if (dirty & DirtyBackground) target_.setBackground(state.backgroundBrush());
        if (dirty & DirtyBackgroundMode) target_.setBackgroundMode(state.backgroundMode());
        if (dirty & DirtyFont) target_.setFont(state.font());
        if (dirty & DirtyOpacity) target_.setOpacity(state.opacity());
        if (dirty & DirtyCompositionMode) target_.setCompositionMode(state.compositionMode());
        if (dirty & DirtyClipPath) target_.setClipPath(state.clipPath(), state.clipOperation());
        if (dirty & DirtyClipRegion) target_.setClipRegion(state.clipRegion(), state.clipOperation());
        if (dirty & DirtyClipEnabled) target_.setClipping(state.isClipEnabled());
    }

    void drawPath(const QPainterPath& path) override { target_.drawPath(path); }
    void drawPolygon(const QPointF* points, int count, PolygonDrawMode mode) override {
        if (mode == PolylineMode)
            target_.drawPolyline(points, count);
        else
            target_.drawPolygon(points, count, mode == WindingMode ? Qt::WindingFill : Qt::OddEvenFill);
    }
    void drawPixmap(const QRectF& r, const QPixmap& pixmap, const QRectF& source) override {
        target_.drawPixmap(r, pixmap, source);
    }
    void drawImage(const QRectF& r, const QImage& image, const QRectF& source, Qt::ImageConversionFlags flags) override {
        target_.drawImage(r, image, source, flags);
    }
    void drawTextItem(const QPointF& at, const QTextItem& item) override { target_.drawTextItem(at, item); }

private:
    QPainter& target_;
};

// The device the SVG is rendered on: the image's size and resolution, drawn
// through a CrispEngine.
class CrispDevice : public QPaintDevice {
public:
    CrispDevice(const QImage& image, QPainter& target) : image_(image), engine_(target) {}
    ~CrispDevice() override = default;
    QPaintEngine* paintEngine() const override { return &engine_; }

protected:
    int metric(PaintDeviceMetric m) const override {
        switch (m) {
        case PdmWidth: return image_.width();
        case PdmHeight: return image_.height();
        case PdmWidthMM: return image_.widthMM();
        case PdmHeightMM: return image_.heightMM();
        case PdmNumColors: return 0;
        case PdmDepth: return image_.depth();
        case PdmDpiX: return image_.logicalDpiX();
        case PdmDpiY: return image_.logicalDpiY();
        case PdmPhysicalDpiX: return image_.physicalDpiX();
        case PdmPhysicalDpiY: return image_.physicalDpiY();
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return static_cast<int>(devicePixelRatioFScale());
        }
        return 0;
    }

private:
    const QImage& image_;
    mutable CrispEngine engine_;
};

}  // namespace

bool LooksLikeEmf(const std::vector<unsigned char>& data) {
    return data.size() >= kMinHeaderSize && U32(data, 0) == kHeaderRecord && U32(data, 40) == kSignature;
}

bool RenderEmf(const std::vector<unsigned char>& input, Raster* out, std::string* error) {
    if (!LooksLikeEmf(input)) {
        *error = "no enhanced-metafile header";
        return false;
    }
    if (!RecordsWellFormed(input, error)) return false;
    std::vector<unsigned char> data(input.begin(), input.begin() + U32(input, 48));

    const Rect bounds = RectAt(data, 8);
    const Rect frame = RectAt(data, 24);  // hundredths of a millimetre
    const double deviceW = S32(data, 72), deviceH = S32(data, 76);
    const double mmW = S32(data, 80), mmH = S32(data, 84);
    const bool deviceKnown = deviceW > 0 && deviceH > 0 && mmW > 0 && mmH > 0;

    // The picture is its declared frame, at screen resolution; the library
    // maps the header's bounds onto the image, so the bounds are set to the
    // frame in reference-device pixels. Without a usable frame the drawn
    // bounds stand in for it.
    double width = 0, height = 0;
    if (frame.width() > 0 && frame.height() > 0 && deviceKnown) {
        width = frame.width() * kScreenDpi / kHundredthsMmPerInch;
        height = frame.height() * kScreenDpi / kHundredthsMmPerInch;
        const double xPerUnit = deviceW / (mmW * 100.0), yPerUnit = deviceH / (mmH * 100.0);
        const Rect device{std::nearbyint(frame.left * xPerUnit), std::nearbyint(frame.top * yPerUnit),
                          std::nearbyint(frame.right * xPerUnit), std::nearbyint(frame.bottom * yPerUnit)};
        if (!(device.width() > 0 && device.height() > 0) ||
            std::fabs(device.left) > INT32_MAX / 2 || std::fabs(device.right) > INT32_MAX / 2 ||
            std::fabs(device.top) > INT32_MAX / 2 || std::fabs(device.bottom) > INT32_MAX / 2) {
            *error = "the metafile has an unusable frame";
            return false;
        }
        PutS32(data, 8, static_cast<std::int32_t>(device.left));
        PutS32(data, 12, static_cast<std::int32_t>(device.top));
        PutS32(data, 16, static_cast<std::int32_t>(device.right));
        PutS32(data, 20, static_cast<std::int32_t>(device.bottom));
    } else if (bounds.width() > 0 && bounds.height() > 0) {
        const double dpiX = deviceKnown ? deviceW / mmW * 25.4 : kScreenDpi;
        const double dpiY = deviceKnown ? deviceH / mmH * 25.4 : kScreenDpi;
        width = bounds.width() * kScreenDpi / dpiX;
        height = bounds.height() * kScreenDpi / dpiY;
    } else {
        *error = "the metafile has an empty frame";
        return false;
    }
    const double w = std::max(1.0, std::nearbyint(width));
    const double h = std::max(1.0, std::nearbyint(height));
    if (!(w <= static_cast<double>(kMaxPictureSide)) || !(h <= static_cast<double>(kMaxPictureSide)) ||
        !PictureSizeAllowed(static_cast<std::int64_t>(w), static_cast<std::int64_t>(h))) {
        *error = kTooLargeReason;
        return false;
    }

    generatorOptions options{};
    char nameSpace[] = "";
    options.nameSpace = nameSpace;
    options.verbose = false;
    options.emfplus = false;
    options.svgDelimiter = true;
    options.imgWidth = w;
    options.imgHeight = h;
    char* svg = nullptr;
    std::size_t svgLength = 0;
    const int converted = emf2svg(reinterpret_cast<char*>(data.data()), data.size(), &svg, &svgLength,
                                  &options);
    const QByteArray document =
        svg ? WithoutNullPenOutlines(QByteArray(svg, static_cast<qsizetype>(svgLength))) : QByteArray();
    std::free(svg);
    if (!converted || document.isEmpty()) {
        *error = "libemf2svg cannot read the metafile";
        return false;
    }

    QSvgRenderer renderer(document);
    if (!renderer.isValid()) {
        *error = "the converted picture is not valid SVG";
        return false;
    }
    const int iw = static_cast<int>(w), ih = static_cast<int>(h);
    // The converted drawing is in output pixels: show it one to one.
    renderer.setViewBox(QRectF(0, 0, iw, ih));
    QImage image(iw, ih, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) {
        *error = "out of memory";
        return false;
    }
    image.fill(Qt::transparent);
    {
        QPainter target(&image);  // anti-aliasing off, text anti-aliasing on
        CrispDevice device(image, target);
        QPainter painter(&device);
        renderer.render(&painter, QRectF(0, 0, iw, ih));
    }
    image = image.convertToFormat(QImage::Format_ARGB32);
    out->width = static_cast<std::uint32_t>(iw);
    out->height = static_cast<std::uint32_t>(ih);
    out->pixels.resize(static_cast<std::size_t>(iw) * ih);
    for (int y = 0; y < ih; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        std::copy(line, line + iw, out->pixels.begin() + static_cast<std::ptrdiff_t>(y) * iw);
    }
    return true;
}

}  // namespace tovik::metafile
