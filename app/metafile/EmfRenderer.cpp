#include "app/metafile/EmfRenderer.h"

#include <emf2svg.h>

#include <QByteArray>
#include <QImage>
#include <QPainter>
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
    const QByteArray document = svg ? QByteArray(svg, static_cast<qsizetype>(svgLength)) : QByteArray();
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
        QPainter painter(&image);
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
