#pragma once

// How tovik-metafile drives libwmf's raster device. Before a metafile is
// played, Install replaces some functions of the device:
//
// - device_begin clears the new image to transparent, so that what the
//   metafile leaves unpainted shows the background of the picture area;
// - the closed shapes (rectangle, rounded rectangle, ellipse, pie, chord,
//   polygon, poly-polygon) drawn with a solid brush are filled here, by
//   ShapeFill, in the brush's colour; the device then draws their outline
//   alone, with the pen of the file. The device's own fills leave ellipses
//   and chords empty and round no corners. Hatched and pattern brushes stay
//   with the device;
// - the clip rectangles the device is given are kept for those fills;
// - what the device cannot draw safely never reaches it: a bitmap of zero
//   width or height (a pattern of it makes the device divide by zero) or
//   with colour indices beyond its colour table (the device reads them
//   unchecked) is dropped as it is read, and text is drawn only in a font
//   that has a face to draw with.
//
// Included by WmfRenderer.cpp only; the functions are the device's, with
// the device's table kept in the object that API->user_data points to.

#include <libwmf/api.h>
#include <libwmf/defs.h>
#include <libwmf/font.h>
#include <libwmf/gd.h>
#include <libwmf/ipa.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <vector>

#include "decoder/ShapeFill.h"

namespace tovik::metafile {

class WmfDevice {
public:
    WmfDevice() = default;
    WmfDevice(const WmfDevice&) = delete;
    WmfDevice& operator=(const WmfDevice&) = delete;
    // At the end of a play the device hands its image over to the caller and
    // forgets it, but gives no way to free it: the image is given back, so
    // that closing the device frees it. Runs before the API is destroyed.
    ~WmfDevice() {
        if (!api_) return;
        auto* data = WMF_GD_GetData(api_);
        void*& deviceImage = *static_cast<void**>(data->gd_data);
        if (!deviceImage && data->gd_image) deviceImage = data->gd_image;
        data->gd_image = nullptr;
        api_->user_data = nullptr;
    }

    // Takes over the functions above in the API's table.
    void Install(wmfAPI* api) {
        api_ = api;
        api->user_data = this;
        auto* table = static_cast<wmfFunctionReference*>(api->function_reference);
        device_ = *table;
        table->device_begin = Begin;
        table->draw_rectangle = DrawRectangle;
        table->draw_ellipse = DrawEllipse;
        table->draw_pie = DrawPie;
        table->draw_chord = DrawChord;
        table->draw_polygon = DrawPolygon;
        table->draw_polypolygon = DrawPolyPolygon;
        table->region_clip = RegionClip;
        table->bmp_read = ReadBitmap;
        table->draw_text = DrawText;
    }

    // True when every pixel of the device-independent bitmap dib (as a
    // metafile record holds it) of width x height pixels indexes an entry of
    // its colour table; bitmaps of more than 8 bits a pixel have none.
    static bool IndicesWithinTable(const unsigned char* dib, long length, unsigned width, unsigned height) {
        const auto le = [dib](long at, int bytes) {
            std::uint32_t v = 0;
            for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | dib[at + i];
            return v;
        };
        if (!dib || length < 12) return false;
        const std::uint32_t headerSize = le(0, 4);
        const bool core = headerSize == 12;
        if (!core && (headerSize < 40 || length < 40)) return false;
        const std::uint32_t bits = le(core ? 10 : 14, 2);
        if (bits > 8) return true;
        if (bits != 1 && bits != 4 && bits != 8) return false;
        const std::uint32_t compression = core ? 0 : le(16, 4);
        const std::uint32_t used = core ? 0 : le(32, 4);
        const std::uint32_t entries = used == 0 || used > (1u << bits) ? (1u << bits) : used;
        if (entries == (1u << bits)) return true;  // every index has its entry
        if (compression != 0) return false;        // run-length data are not looked into
        const long start = static_cast<long>(headerSize) + static_cast<long>(entries) * (core ? 3 : 4);
        const long stride = (static_cast<long>(width) * bits + 31) / 32 * 4;
        for (unsigned y = 0; y < height; ++y)
            for (unsigned x = 0; x < width; ++x) {
                const long bit = static_cast<long>(x) * bits;
                const long at = start + y * stride + bit / 8;
                if (at >= length) return true;  // past the data: the device finds it short
                const unsigned index = (dib[at] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
                if (index >= entries) return false;
            }
        return true;
    }

    // The device's image, once the play has begun.
    void* Image() const { return image_; }

private:
    static WmfDevice& Of(wmfAPI* api) { return *static_cast<WmfDevice*>(api->user_data); }

    static void Begin(wmfAPI* api) {
        WmfDevice& self = Of(api);
        self.device_.device_begin(api);
        if (api->err != wmf_E_None) return;
        auto* data = WMF_GD_GetData(api);
        // The device keeps its image as the first member of its private data.
        self.image_ = *static_cast<void**>(data->gd_data);
        int* pixels = self.image_ ? wmf_gd_image_pixels(self.image_) : nullptr;
        if (!pixels) return;
        const std::size_t n = static_cast<std::size_t>(data->width) * data->height;
        std::fill(pixels, pixels + n, 0x7F000000);  // fully transparent black
    }

    // Device coordinates to pixels of the image, as the device maps them.
    static FillPoint ToPixels(wmfAPI* api, wmfD_Coord p) {
        const auto* data = WMF_GD_GetData(api);
        return {(static_cast<double>(p.x) - data->bbox.TL.x) / (static_cast<double>(data->bbox.BR.x) - data->bbox.TL.x) *
                    data->width,
                (static_cast<double>(p.y) - data->bbox.TL.y) / (static_cast<double>(data->bbox.BR.y) - data->bbox.TL.y) *
                    data->height};
    }
    // A length along each axis in device units, in pixels.
    static FillPoint LengthsToPixels(wmfAPI* api, double x, double y) {
        const auto* data = WMF_GD_GetData(api);
        return {x / (static_cast<double>(data->bbox.BR.x) - data->bbox.TL.x) * data->width,
                y / (static_cast<double>(data->bbox.BR.y) - data->bbox.TL.y) * data->height};
    }

    // A filler in the colour of the DC's brush when the brush is solid.
    static std::optional<ShapeFill> SolidFill(wmfAPI* api, wmfDC* dc) {
        WmfDevice& self = Of(api);
        if (!dc || !dc->brush || dc->brush->lbStyle != BS_SOLID || !self.image_) return std::nullopt;
        int* pixels = wmf_gd_image_pixels(self.image_);
        if (!pixels) return std::nullopt;
        const auto* data = WMF_GD_GetData(api);
        ShapeFill fill(reinterpret_cast<std::int32_t*>(pixels), static_cast<int>(data->width),
                       static_cast<int>(data->height));
        const wmfRGB& c = dc->brush->lbColor;
        fill.SetColour((c.r << 16) | (c.g << 8) | c.b);  // opaque in the device's pixel format
        fill.SetClip(self.clip_);
        return fill;
    }

    // The device draws the shape with the brush taken away: its outline.
    template <typename Shape>
    static void Outline(void (*draw)(wmfAPI*, Shape*), wmfAPI* api, Shape* shape) {
        if (!draw) return;
        wmfBrush* brush = shape->dc->brush;
        const auto style = brush->lbStyle;
        brush->lbStyle = BS_NULL;
        draw(api, shape);
        brush->lbStyle = style;
    }

    static void DrawRectangle(wmfAPI* api, wmfDrawRectangle_t* r) {
        WmfDevice& self = Of(api);
        const bool rounded = r->width > 0 && r->height > 0;
        if (auto fill = SolidFill(api, r->dc)) {
            const FillPoint a = ToPixels(api, r->TL), b = ToPixels(api, r->BR);
            const FillPoint corner = LengthsToPixels(api, r->width / 2.0, r->height / 2.0);
            fill->Rectangle(a.x, a.y, b.x, b.y, rounded ? corner.x : 0, rounded ? corner.y : 0);
        } else if (!rounded || TO_FILL(r)) {
            return self.device_.draw_rectangle(api, r);
        }
        if (!rounded) return Outline(self.device_.draw_rectangle, api, r);
        if (TO_DRAW(r)) RoundedOutline(api, r);
    }

    // The device draws no rounded corners: the outline of a rounded
    // rectangle is drawn as four quarter arcs and four lines.
    static void RoundedOutline(wmfAPI* api, wmfDrawRectangle_t* r) {
        WmfDevice& self = Of(api);
        if (!self.device_.draw_arc || !self.device_.draw_line) return;
        const float left = std::min(r->TL.x, r->BR.x), right = std::max(r->TL.x, r->BR.x);
        const float top = std::min(r->TL.y, r->BR.y), bottom = std::max(r->TL.y, r->BR.y);
        const float rx = std::min(r->width / 2, (right - left) / 2), ry = std::min(r->height / 2, (bottom - top) / 2);
        // Corner centres clockwise from the top left; each arc runs clockwise
        // from the end of one side to the start of the next.
        const float cx[4] = {left + rx, right - rx, right - rx, left + rx};
        const float cy[4] = {top + ry, top + ry, bottom - ry, bottom - ry};
        const float fromX[4] = {-rx, 0, rx, 0}, fromY[4] = {0, -ry, 0, ry};
        for (int k = 0; k < 4; ++k) {
            wmfDrawArc_t arc{};
            arc.dc = r->dc;
            arc.TL = {cx[k] - rx, cy[k] - ry};
            arc.BR = {cx[k] + rx, cy[k] + ry};
            arc.start = {fromX[k], fromY[k]};
            arc.end = {fromX[(k + 1) % 4], fromY[(k + 1) % 4]};
            self.device_.draw_arc(api, &arc);
            wmfDrawLine_t side{};
            side.dc = r->dc;
            side.from = {cx[k] + fromX[(k + 1) % 4], cy[k] + fromY[(k + 1) % 4]};
            side.to = {cx[(k + 1) % 4] + fromX[(k + 1) % 4], cy[(k + 1) % 4] + fromY[(k + 1) % 4]};
            self.device_.draw_line(api, &side);
        }
    }

    static void DrawEllipse(wmfAPI* api, wmfDrawArc_t* a) {
        WmfDevice& self = Of(api);
        auto fill = SolidFill(api, a->dc);
        if (!fill) return self.device_.draw_ellipse(api, a);
        const FillPoint tl = ToPixels(api, a->TL), br = ToPixels(api, a->BR);
        fill->Ellipse(tl.x, tl.y, br.x, br.y);
        Outline(self.device_.draw_ellipse, api, a);
    }

    static void DrawSegment(wmfAPI* api, wmfDrawArc_t* a, bool pie) {
        WmfDevice& self = Of(api);
        auto fill = SolidFill(api, a->dc);
        if (!fill && TO_FILL(a)) return (pie ? self.device_.draw_pie : self.device_.draw_chord)(api, a);
        if (fill) {
            const FillPoint tl = ToPixels(api, a->TL), br = ToPixels(api, a->BR);
            // The ends are directions from the centre in device units.
            fill->Segment(tl.x, tl.y, br.x, br.y, LengthsToPixels(api, a->start.x, a->start.y),
                          LengthsToPixels(api, a->end.x, a->end.y), pie);
        }
        if (TO_DRAW(a)) SegmentOutline(api, a, pie);
    }

    // The device's pie and chord draw their straight sides to the points
    // that give the directions rather than to the ellipse: the outline is
    // drawn as the arc and the sides from where the rays meet the ellipse.
    static void SegmentOutline(wmfAPI* api, wmfDrawArc_t* a, bool pie) {
        WmfDevice& self = Of(api);
        if (!self.device_.draw_arc || !self.device_.draw_line) return;
        self.device_.draw_arc(api, a);
        const double cx = (static_cast<double>(a->TL.x) + a->BR.x) / 2, cy = (static_cast<double>(a->TL.y) + a->BR.y) / 2;
        const double rx = std::fabs(static_cast<double>(a->BR.x) - a->TL.x) / 2;
        const double ry = std::fabs(static_cast<double>(a->BR.y) - a->TL.y) / 2;
        const auto onEllipse = [&](wmfD_Coord u) {
            const double t = 1 / std::sqrt(u.x * u.x / (rx * rx) + u.y * u.y / (ry * ry));
            return wmfD_Coord{static_cast<float>(cx + t * u.x), static_cast<float>(cy + t * u.y)};
        };
        if (!(rx > 0 && ry > 0) || (a->start.x == 0 && a->start.y == 0) || (a->end.x == 0 && a->end.y == 0)) return;
        const wmfD_Coord centre{static_cast<float>(cx), static_cast<float>(cy)};
        const wmfD_Coord from = onEllipse(a->start), to = onEllipse(a->end);
        const auto line = [&](wmfD_Coord p, wmfD_Coord q) {
            wmfDrawLine_t side{};
            side.dc = a->dc;
            side.from = p;
            side.to = q;
            self.device_.draw_line(api, &side);
        };
        if (pie) {
            line(to, centre);
            line(centre, from);
        } else {
            line(to, from);
        }
    }
    static void DrawPie(wmfAPI* api, wmfDrawArc_t* a) { DrawSegment(api, a, true); }
    static void DrawChord(wmfAPI* api, wmfDrawArc_t* a) { DrawSegment(api, a, false); }

    static std::vector<FillPoint> Ring(wmfAPI* api, const wmfD_Coord* points, unsigned count) {
        std::vector<FillPoint> ring;
        ring.reserve(count);
        for (unsigned k = 0; k < count; ++k) ring.push_back(ToPixels(api, points[k]));
        return ring;
    }
    static bool Winding(const wmfDC* dc) { return dc->polyfillmode == WINDING; }

    static void DrawPolygon(wmfAPI* api, wmfPolyLine_t* p) {
        WmfDevice& self = Of(api);
        auto fill = SolidFill(api, p->dc);
        if (!fill || p->count < 3) return self.device_.draw_polygon(api, p);
        fill->Polygons({Ring(api, p->pt, p->count)}, Winding(p->dc));
        Outline(self.device_.draw_polygon, api, p);
    }

    // The device has no poly-polygon of its own: without one the player
    // fills the polygons joined into one outline. Here they are filled
    // together under the fill rule, and outlined one by one.
    static void DrawPolyPolygon(wmfAPI* api, wmfPolyPoly_t* pp) {
        WmfDevice& self = Of(api);
        auto fill = SolidFill(api, pp->dc);
        std::vector<std::vector<FillPoint>> rings;
        for (unsigned i = 0; i < pp->npoly; ++i)
            if (pp->pt[i] && pp->count[i] >= 3) rings.push_back(Ring(api, pp->pt[i], pp->count[i]));
        if (fill) fill->Polygons(rings, Winding(pp->dc));
        if (!self.device_.draw_polygon) return;
        for (unsigned i = 0; i < pp->npoly; ++i) {
            if (!pp->pt[i] || pp->count[i] < 3) continue;
            wmfPolyLine_t ring{};
            ring.dc = pp->dc;
            ring.pt = pp->pt[i];
            ring.count = pp->count[i];
            if (fill)
                Outline(self.device_.draw_polygon, api, &ring);
            else
                self.device_.draw_polygon(api, &ring);
        }
    }

    static void ReadBitmap(wmfAPI* api, wmfBMP_Read_t* r) {
        WmfDevice& self = Of(api);
        self.device_.bmp_read(api, r);
        if (!r->bmp.data) return;
        if (r->bmp.width == 0 || r->bmp.height == 0 ||
            !IndicesWithinTable(r->buffer, r->length, r->bmp.width, r->bmp.height)) {
            self.device_.bmp_free(api, &r->bmp);
            r->bmp.data = nullptr;  // as a bitmap the device could not read
        }
    }

    static void DrawText(wmfAPI* api, wmfDrawText_t* t) {
        WmfDevice& self = Of(api);
        if (!t->str || !t->dc || !t->dc->font || !WMF_FONT_FTFACE(t->dc->font)) return;
        self.device_.draw_text(api, t);
    }

    static void RegionClip(wmfAPI* api, wmfPolyRectangle_t* r) {
        WmfDevice& self = Of(api);
        if (self.device_.region_clip) self.device_.region_clip(api, r);
        // The device's rectangles: from the pixel of one corner up to the
        // pixel before the other.
        self.clip_.clear();
        const auto* data = WMF_GD_GetData(api);
        const auto pixel = [&](double v, unsigned limit) {
            return static_cast<int>(std::clamp(std::floor(v), -1.0, static_cast<double>(limit) + 1));
        };
        for (unsigned k = 0; k < r->count; ++k) {
            const FillPoint a = ToPixels(api, r->TL[k]), b = ToPixels(api, r->BR[k]);
            const int x0 = pixel(a.x, data->width), x1 = pixel(b.x, data->width);
            const int y0 = pixel(a.y, data->height), y1 = pixel(b.y, data->height);
            self.clip_.push_back({std::min(x0, x1), std::min(y0, y1), std::max(x0, x1) - 1, std::max(y0, y1) - 1});
        }
    }

    wmfAPI* api_ = nullptr;
    wmfFunctionReference device_{};
    void* image_ = nullptr;
    std::vector<ClipRect> clip_;
};

}  // namespace tovik::metafile
