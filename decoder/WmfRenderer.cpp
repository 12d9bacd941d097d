#include "decoder/WmfRenderer.h"

#include "decoder/WmfDevice.h"
#include "decoder/WmfLayout.h"

#include <libwmf/api.h>
#include <libwmf/gd.h>
#include <libwmf/ipa.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <optional>

namespace tovik::metafile {

namespace {

constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7u;
constexpr double kScreenDpi = 96.0;
// libwmf's device units are points.
constexpr double kDevicePerInch = 72.0;
constexpr std::uint16_t kSetPixel = 0x041F;

// Everything libwmf allocates through its allocator together stays below
// this; a hostile header cannot make it ask for more.
constexpr std::size_t kLibraryBudget = 128u * 1024u * 1024u;

void Put16(std::vector<unsigned char>& d, std::uint16_t v) {
    d.push_back(static_cast<unsigned char>(v));
    d.push_back(static_cast<unsigned char>(v >> 8));
}
void Put32(std::vector<unsigned char>& d, std::uint32_t v) {
    Put16(d, static_cast<std::uint16_t>(v));
    Put16(d, static_cast<std::uint16_t>(v >> 16));
}

struct Point {
    double x = 0;
    double y = 0;
};

// --- libwmf sessions --------------------------------------------------------

struct Budget {
    std::size_t used = 0;
};

constexpr std::size_t kTag = 16;  // room for the block size, keeps alignment

void* BudgetMalloc(void* context, std::size_t size) {
    auto* b = static_cast<Budget*>(context);
    if (size > kLibraryBudget - b->used) return nullptr;
    auto* block = static_cast<unsigned char*>(std::malloc(size + kTag));
    if (!block) return nullptr;
    *reinterpret_cast<std::size_t*>(block) = size;
    b->used += size;
    return block + kTag;
}

void BudgetFree(void* context, void* mem) {
    if (!mem) return;
    auto* b = static_cast<Budget*>(context);
    auto* block = static_cast<unsigned char*>(mem) - kTag;
    b->used -= *reinterpret_cast<std::size_t*>(block);
    std::free(block);
}

void* BudgetRealloc(void* context, void* mem, std::size_t size) {
    if (!mem) return BudgetMalloc(context, size);
    auto* b = static_cast<Budget*>(context);
    auto* block = static_cast<unsigned char*>(mem) - kTag;
    const std::size_t old = *reinterpret_cast<std::size_t*>(block);
    if (size > old && size - old > kLibraryBudget - b->used) return nullptr;
    auto* grown = static_cast<unsigned char*>(std::realloc(block, size + kTag));
    if (!grown) return nullptr;
    *reinterpret_cast<std::size_t*>(grown) = size;
    b->used = b->used - old + size;
    return grown + kTag;
}

// One libwmf API instance over a block of metafile bytes, rendering through
// the library's own raster device.
class Session {
public:
    explicit Session(std::vector<unsigned char>& bytes) {
        wmfAPI_Options options{};
        options.context = &budget_;
        options.malloc = BudgetMalloc;
        options.realloc = BudgetRealloc;
        options.free = BudgetFree;
        options.function = wmf_gd_function;
        const unsigned long flags = WMF_OPT_ALLOC | WMF_OPT_FUNCTION | WMF_OPT_IGNORE_NONFATAL |
                                    WMF_OPT_NO_ERROR | WMF_OPT_NO_DEBUG;
        if (wmf_api_create(&api_, flags, &options) != wmf_E_None) {
            if (api_) wmf_api_destroy(api_);
            api_ = nullptr;
            return;
        }
        if (wmf_mem_open(api_, bytes.data(), static_cast<long>(bytes.size())) != wmf_E_None) return;
        opened_ = true;
    }
    ~Session() {
        if (!api_) return;
        if (opened_) wmf_mem_close(api_);
        wmf_api_destroy(api_);
    }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    wmfAPI* api() const { return api_; }
    bool ok() const { return api_ && opened_ && api_->err == wmf_E_None; }

    std::optional<wmfD_Rect> Scan() {
        if (!ok()) return std::nullopt;
        wmfD_Rect box{};
        if (wmf_scan(api_, 0, &box) != wmf_E_None) return std::nullopt;
        return box;
    }

private:
    Budget budget_;
    wmfAPI* api_ = nullptr;
    bool opened_ = false;
};

// Where libwmf puts a logical point, in its device space: the leading state
// records, one pixel at the point, and nothing else, scanned. The scanned box
// of a single pixel is centred on it.
std::optional<Point> DevicePoint(const std::vector<unsigned char>& d, const WmfLayout& l, std::int64_t x,
                                 std::int64_t y) {
    if (x < INT16_MIN || x > INT16_MAX || y < INT16_MIN || y > INT16_MAX) return std::nullopt;
    std::vector<unsigned char> probe(d.begin(), d.begin() + static_cast<std::ptrdiff_t>(l.firstDrawing));
    Put32(probe, 7);
    Put16(probe, kSetPixel);
    Put16(probe, 0);  // colour: red and green
    Put16(probe, 0);  // colour: blue
    Put16(probe, static_cast<std::uint16_t>(y));
    Put16(probe, static_cast<std::uint16_t>(x));
    Put32(probe, 3);  // end of file
    Put16(probe, 0);
    const std::size_t h = l.header;
    const std::uint32_t words = static_cast<std::uint32_t>(probe.size() / 2);
    for (int i = 0; i < 4; ++i) probe[h + 6 + i] = static_cast<unsigned char>(words >> (8 * i));
    const std::uint32_t maxRecord = std::max<std::uint32_t>(l.maxRecordWords, 7);
    for (int i = 0; i < 4; ++i) probe[h + 12 + i] = static_cast<unsigned char>(maxRecord >> (8 * i));
    Session s(probe);
    const auto box = s.Scan();
    if (!box) return std::nullopt;
    return Point{(static_cast<double>(box->TL.x) + box->BR.x) / 2.0,
                 (static_cast<double>(box->TL.y) + box->BR.y) / 2.0};
}

std::uint32_t FromDevicePixel(int p) {
    const int alpha7 = (p >> 24) & 0x7F;  // 0 opaque .. 127 transparent
    if (alpha7 >= 127) return 0;
    const std::uint32_t a = static_cast<std::uint32_t>(255 - (alpha7 * 255 + 63) / 127);
    return (a << 24) | (static_cast<std::uint32_t>(p) & 0x00FFFFFFu);
}

}  // namespace

bool LooksLikeWmf(const std::vector<unsigned char>& data) {
    if (data.size() >= 4 && ReadLe32(data, 0) == kPlaceableKey) return true;
    return WmfHeaderAt(data, 0);
}

bool RenderWmf(const std::vector<unsigned char>& input, Raster* out, std::string* error) {
    std::vector<unsigned char> data = input;
    WmfLayout l;
    if (!ReadWmfLayout(data, &l, error)) return false;

    // The frame: the window the records set up before drawing. A placeable
    // file starts with the window of its bounding box, which the records may
    // move or resize; a plain file without a window frames what it draws.
    std::optional<Point> a, b;
    const bool windowSized = l.windowExtSet && l.extX != 0 && l.extY != 0;
    if (windowSized || l.placeable) {
        const std::int64_t ox = l.windowOrgSet ? l.orgX : (l.placeable ? l.left : 0);
        const std::int64_t oy = l.windowOrgSet ? l.orgY : (l.placeable ? l.top : 0);
        const std::int64_t ex = windowSized ? l.extX : l.right - l.left;
        const std::int64_t ey = windowSized ? l.extY : l.bottom - l.top;
        a = DevicePoint(data, l, ox, oy);
        b = DevicePoint(data, l, ox + ex, oy + ey);
    }

    Session play(data);
    const auto drawn = play.Scan();
    if (!drawn) {
        *error = "libwmf cannot read the metafile";
        return false;
    }
    wmfD_Rect frame = *drawn;
    if (a && b) {
        frame.TL.x = static_cast<float>(std::min(a->x, b->x));
        frame.TL.y = static_cast<float>(std::min(a->y, b->y));
        frame.BR.x = static_cast<float>(std::max(a->x, b->x));
        frame.BR.y = static_cast<float>(std::max(a->y, b->y));
    }
    const double frameW = static_cast<double>(frame.BR.x) - frame.TL.x;
    const double frameH = static_cast<double>(frame.BR.y) - frame.TL.y;
    if (!(frameW > 0) || !(frameH > 0) || !std::isfinite(frameW) || !std::isfinite(frameH)) {
        *error = "the metafile has an empty frame";
        return false;
    }

    double width = 0, height = 0;
    if (l.placeable) {
        width = std::abs(static_cast<double>(l.right) - l.left) * kScreenDpi / l.inch;
        height = std::abs(static_cast<double>(l.bottom) - l.top) * kScreenDpi / l.inch;
    } else if (l.mapMode != kMapModeText && l.mapMode != kMapModeIsotropic &&
               l.mapMode != kMapModeAnisotropic) {
        // Metric and English units: libwmf's device space is in points.
        width = frameW * kScreenDpi / kDevicePerInch;
        height = frameH * kScreenDpi / kDevicePerInch;
    } else if (l.windowExtSet && l.extX != 0 && l.extY != 0) {
        // No physical size is declared: a logical unit of the window is a
        // screen pixel, as in the default mapping.
        width = static_cast<double>(std::abs(l.extX));
        height = static_cast<double>(std::abs(l.extY));
    } else {
        width = frameW;  // text mapping: device units are logical units
        height = frameH;
    }
    const double w = std::max(1.0, std::nearbyint(width));
    const double h = std::max(1.0, std::nearbyint(height));
    if (!(w <= static_cast<double>(kMaxPictureSide)) || !(h <= static_cast<double>(kMaxPictureSide)) ||
        !PictureSizeAllowed(static_cast<std::int64_t>(w), static_cast<std::int64_t>(h))) {
        *error = kTooLargeReason;
        return false;
    }

    auto* ddata = WMF_GD_GetData(play.api());
    ddata->type = wmf_gd_image;
    ddata->bbox = frame;
    ddata->width = static_cast<unsigned int>(w);
    ddata->height = static_cast<unsigned int>(h);
    WmfDevice device;  // declared after the session, so that it ends first (~WmfDevice)
    device.Install(play.api());

    wmfD_Rect box{};
    if (wmf_play(play.api(), 0, &box) != wmf_E_None || !ddata->gd_image || ddata->gd_image != device.Image()) {
        *error = "libwmf cannot draw the metafile";
        return false;
    }
    const int* pixels = wmf_gd_image_pixels(ddata->gd_image);
    if (!pixels) {
        *error = "libwmf gave no image";
        return false;
    }
    out->width = ddata->width;
    out->height = ddata->height;
    const std::size_t n = static_cast<std::size_t>(out->width) * out->height;
    out->pixels.resize(n);
    for (std::size_t i = 0; i < n; ++i) out->pixels[i] = FromDevicePixel(pixels[i]);
    return true;
}

}  // namespace tovik::metafile
