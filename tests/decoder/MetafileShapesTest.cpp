#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QTemporaryDir>
#include <cmath>
#include <functional>
#include <initializer_list>
#include <vector>

#include "picture/PictureFixtures.h"
#include "picture/PictureLoader.h"
#include "model/CellMean.h"
#include "model/Preparation.h"
#include "picture/DrawingArea.h"

namespace tovik {
namespace {

// Which side of a shape's edge a pixel centre lies on: below 0 inside. The
// shapes below are placed so that no pixel centre lies on an edge.
using Shape = std::function<double(double x, double y)>;

double Ellipse(double x, double y, double cx, double cy, double rx, double ry) {
    return (x - cx) * (x - cx) / (rx * rx) + (y - cy) * (y - cy) / (ry * ry) - 1;
}
double Box(double x, double y, double left, double top, double right, double bottom) {
    return std::max({left - x, x - right, top - y, y - bottom});
}
// Below 0 on the right of the line from a to b as seen on the screen.
double Side(double x, double y, double ax, double ay, double bx, double by) {
    return (by - ay) * (x - ax) - (bx - ax) * (y - ay);
}

// Seven shapes on a 240 x 120 picture, each as the records that draw it (a
// solid brush and the null pen selected before) and as the pixels it must
// fill: a pixel is filled when its centre lies inside the shape, the right
// and bottom edges of the bounding box excluded.
struct DrawnShape {
    const char* name;
    unsigned function;
    std::vector<int> params;
    Shape inside;
};

std::vector<DrawnShape> Shapes() {
    return {
        {"ellipse", 0x0418, {50, 60, 10, 10}, [](double x, double y) { return Ellipse(x, y, 35, 30, 25, 20); }},
        {"rectangle", 0x041B, {50, 120, 10, 70}, [](double x, double y) { return Box(x, y, 70, 10, 120, 50); }},
        {"rounded rectangle", 0x061C, {20, 24, 50, 180, 10, 130},
         [](double x, double y) {
             // Corner ellipses of 24 x 20 at the four corners of 130..180 x 10..50.
             const double cx = std::clamp(x, 142.0, 168.0), cy = std::clamp(y, 20.0, 40.0);
             return std::max(Box(x, y, 130, 10, 180, 50), Ellipse(x, y, cx, cy, 12, 10));
         }},
        {"polygon", 0x0324, {3, 190, 50, 215, 10, 235, 50},
         [](double x, double y) {
             return std::max({Side(x, y, 190, 50, 215, 10), Side(x, y, 215, 10, 235, 50), y - 50});
         }},
        {"poly-polygon", 0x0538, {2, 4, 4, 10, 60, 60, 60, 60, 110, 10, 110, 25, 75, 45, 75, 45, 95, 25, 95},
         [](double x, double y) {  // a square with a square hole (alternate filling)
             return std::max(Box(x, y, 10, 60, 60, 110), -Box(x, y, 25, 75, 45, 95));
         }},
        // Windows runs the arc counter-clockwise on the screen from the ray
        // through the first radial point to the ray through the second.
        {"pie", 0x081A, {70, 119, 85, 120, 110, 120, 60, 70},
         [](double x, double y) {  // centre (95, 85): from the right up to the ray through (119, 70)
             return std::max({Ellipse(x, y, 95, 85, 25, 25), y - 85, Side(x, y, 95, 85, 119, 70)});
         }},
        {"chord", 0x0830, {100, 131, 70, 179, 110, 180, 60, 130},
         [](double x, double y) {  // centre (155, 85): the half on the upper left of the diameter
             return std::max(Ellipse(x, y, 155, 85, 25, 25), Side(x, y, 179, 70, 131, 100));
         }},
    };
}

// The picture: brush, pen (null by default), the shapes; placeable at 96 dpi
// or not, with a window of 240 x 120 either way.
QByteArray ShapesWmf(QColor brush, bool placeable, const QColor* pen = nullptr) {
    test::LeBytes records;
    auto record = [&](unsigned function, const std::vector<int>& params) {
        records.u32(3 + static_cast<std::uint32_t>(params.size())).u16(function);
        for (const int p : params) records.u16(static_cast<unsigned>(p));
    };
    const auto colour = [](QColor c) { return std::vector<int>{int(test::ColorRef(c) & 0xFFFF), int(test::ColorRef(c) >> 16)}; };
    record(0x020B, {0, 0});
    record(0x020C, {120, 240});
    record(0x02FC, {0, colour(brush)[0], colour(brush)[1], 0});
    record(0x012D, {0});
    record(0x02FA, pen ? std::vector<int>{0, 1, 0, colour(*pen)[0], colour(*pen)[1]} : std::vector<int>{5, 0, 0, 0, 0});
    record(0x012D, {1});
    for (const DrawnShape& s : Shapes()) record(s.function, s.params);
    record(0x01F0, {0});
    record(0x0000, {});
    const QRect box(0, 0, 240, 120);
    return test::WmfFile(records, 60, placeable ? &box : nullptr, 96);
}

QImage Decode(const QByteArray& bytes, const char* name) {
    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    EXPECT_TRUE(test::WriteFile(path, bytes));
    QImage image;
    QString error;
    EXPECT_TRUE(LoadPictureFile(path, &image, &error)) << error.toStdString();
    return image.convertToFormat(QImage::Format_ARGB32);
}

// Preparation of the picture shown at the top left of the drawing area.
struct Prepared {
    Prepared(const QImage& picture, int calcSpeed) : area(781, 469, QImage::Format_RGB32) {
        s.MaxCharge = 1000;
        area.fill(Qt::black);
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                if (qAlpha(picture.pixel(x, y)) == 255) area.setPixel(x, y, picture.pixel(x, y));
        PreparationInput in{PixelsOf(area),
                            781, 469, calcSpeed};
        SilentPreparation silent;
        PrepareChargeModel(s, in, silent);
    }
    SimState s;
    QImage area;
};

TEST(MetafileShapes, WmfShapesAreFilledWithTheBrushColourAndPrepareAsDrawn) {
    const auto shapes = Shapes();
    std::vector<std::vector<bool>> filled(240, std::vector<bool>(120));
    int firstX = 240, lastX = -1, firstY = 120, lastY = -1;
    for (int y = 0; y < 120; ++y) {
        for (int x = 0; x < 240; ++x) {
            for (const DrawnShape& s : shapes) {
                const double v = s.inside(x + 0.5, y + 0.5);
                ASSERT_GT(std::fabs(v), 1e-9) << s.name << " has pixel " << x << "," << y << " on its edge";
                if (v < 0) filled[x][y] = true;
            }
            if (filled[x][y]) firstX = std::min(firstX, x), lastX = std::max(lastX, x), firstY = std::min(firstY, y), lastY = std::max(lastY, y);
        }
    }
    for (const QColor brush : {QColor(Qt::blue), QColor(Qt::red)}) {
        for (const bool placeable : {true, false}) {
            SCOPED_TRACE(testing::Message() << brush.name().toStdString() << (placeable ? " placeable" : " plain"));
            const QImage image = Decode(ShapesWmf(brush, placeable), "shapes.wmf");
            ASSERT_EQ(image.size(), QSize(240, 120));
            int wrong = 0;
            for (int y = 0; y < 120; ++y) {
                for (int x = 0; x < 240; ++x) {
                    const QRgb expected = filled[x][y] ? brush.rgba() : 0;
                    if ((qAlpha(image.pixel(x, y)) ? image.pixel(x, y) : 0) != expected && ++wrong <= 10)
                        ADD_FAILURE() << "pixel " << x << "," << y << ": " << std::hex << image.pixel(x, y);
                }
            }
            EXPECT_EQ(wrong, 0);

            // Each charged pixel carries MaxCharge, with the sign of its colour.
            const float charge = brush == QColor(Qt::blue) ? 1000.0f : -1000.0f;
            for (const int side : {1, 8}) {
                SCOPED_TRACE(testing::Message() << "cell side " << side);
                const Prepared p(image, side);
                const int right = ((lastX - firstX) / side + 1) * side + firstX;
                const int bottom = ((lastY - firstY) / side + 1) * side + firstY;
                EXPECT_EQ((std::vector<int>{p.s.Charges().AreaLeft, p.s.Charges().AreaTop, p.s.Charges().AreaRight, p.s.Charges().AreaBottom}),
                          (std::vector<int>{firstX, firstY, right, bottom}));
                double total = 0;
                const int columns = (right - firstX) / side + 1, rows = (bottom - firstY) / side + 1;
                for (int j = 0; j < rows; ++j) {
                    for (int i = 0; i < columns; ++i) {
                        int count = 0;
                        for (int y = firstY + j * side; y < std::min(120, firstY + (j + 1) * side); ++y)
                            for (int x = firstX + i * side; x < std::min(240, firstX + (i + 1) * side); ++x) count += filled[x][y];
                        total += count * charge;
                        EXPECT_EQ(p.s.Charges().Cell(i, j), count * charge) << "cell " << i << "," << j;
                    }
                }
                EXPECT_EQ(MeanCellCharge(p.s.Charges(), p.s.CalcSpeed), total / (columns * rows));
            }
        }
    }
}

TEST(MetafileShapes, ThePenDrawsTheOutlineOverTheFill) {
    const QColor pen(Qt::green);
    const QImage image = Decode(ShapesWmf(Qt::red, true, &pen), "outlined.wmf");
    ASSERT_EQ(image.size(), QSize(240, 120));
    const QColor none(0, 0, 0, 0);
    const struct {
        const char* what;
        int x, y;
        QColor colour;
        bool near;  // on this pixel or one next to it
    } samples[] = {
        {"ellipse inside", 35, 30, Qt::red, false},
        {"ellipse's left edge", 10, 30, pen, true},
        {"rounded corner inside", 137, 17, Qt::red, false},
        {"rounded corner cut off", 130, 10, none, false},
        {"pie inside", 110, 80, Qt::red, false},
        {"pie's lower side", 110, 85, pen, true},
        {"chord inside", 145, 75, Qt::red, false},
        {"chord's side", 155, 84, pen, true},
        // The sides end where the rays meet the ellipse, not at the radial
        // points beyond it.
        {"pie's radial point", 119, 70, none, false},
        {"chord's radial point", 179, 70, none, false},
    };
    const auto rgba = [](QColor c) { return c.alpha() ? c.rgba() : 0u; };
    for (const auto& s : samples) {
        bool found = false;
        for (int dy = -s.near; dy <= int(s.near); ++dy)
            for (int dx = -s.near; dx <= int(s.near); ++dx) found |= rgba(image.pixelColor(s.x + dx, s.y + dy)) == rgba(s.colour);
        EXPECT_TRUE(found) << s.what << ": " << image.pixelColor(s.x, s.y).name(QColor::HexArgb).toStdString();
    }
}

// An enhanced metafile with a disc (centre (50, 40), radius 30) and a
// triangle, a solid brush and the null pen, on 192 x 96 pixels.
QByteArray DiscAndTriangleEmf(QColor brush) {
    test::LeBytes r;
    r.u32(39).u32(24).u32(1).u32(0).u32(test::ColorRef(brush)).u32(0);  // solid brush
    r.u32(37).u32(12).u32(1);
    r.u32(37).u32(12).u32(0x80000008u);  // stock null pen
    r.u32(42).u32(24).u32(20).u32(10).u32(80).u32(70);  // ellipse
    r.u32(86).u32(40).u32(100).u32(10).u32(180).u32(80).u32(3);  // polygon16: bounds, three points
    r.u16(100).u16(10).u16(180).u16(40).u16(120).u16(80);
    r.u32(14).u32(20).u32(0).u32(16).u32(20);
    test::LeBytes h;
    h.u32(1).u32(108).u32(0).u32(0).u32(191).u32(95).u32(0).u32(0).u32(5080).u32(2540);
    h.u32(0x464D4520u).u32(0x10000).u32(static_cast<std::uint32_t>(108 + r.data.size()));
    h.u32(7).u16(2).u16(0).u32(0).u32(0).u32(0);
    h.u32(960).u32(960).u32(254).u32(254);
    h.u32(0).u32(0).u32(0).u32(254000).u32(254000);
    return h.data + r.data;
}

TEST(MetafileShapes, EmfShapesHaveNoBlendedEdgesAndNoOutlineForTheNullPen) {
    for (const QColor brush : {QColor(Qt::blue), QColor(Qt::red)}) {
        SCOPED_TRACE(brush.name().toStdString());
        const QImage image = Decode(DiscAndTriangleEmf(brush), "shapes.emf");
        ASSERT_EQ(image.size(), QSize(192, 96));
        int wrong = 0, painted = 0;
        for (int y = 0; y < 96; ++y) {
            for (int x = 0; x < 192; ++x) {
                const double cx = x + 0.5, cy = y + 0.5;
                // Distance inside (below 0) or outside, in pixels, roughly.
                const double disc = std::hypot(cx - 50, cy - 40) - 30;
                const double triangle = std::max({Side(cx, cy, 100, 10, 180, 40) / std::hypot(80, 30),
                                                  Side(cx, cy, 180, 40, 120, 80) / std::hypot(60, 40),
                                                  Side(cx, cy, 120, 80, 100, 10) / std::hypot(20, 70)});
                const double inside = std::min(disc, triangle);
                const QRgb got = image.pixel(x, y);
                painted += qAlpha(got) != 0;
                const bool pure = got == brush.rgba() || qAlpha(got) == 0;
                const bool placed = std::fabs(inside) < 0.05 || (inside < 0) == (qAlpha(got) != 0);
                if ((!pure || !placed) && ++wrong <= 10)
                    ADD_FAILURE() << "pixel " << x << "," << y << " (" << inside << " from the edge): " << std::hex << got;
            }
        }
        EXPECT_EQ(wrong, 0);
        EXPECT_NEAR(painted, 3.14159265 * 30 * 30 + 2500, 60);  // the two areas
    }
}

}  // namespace
}  // namespace tovik
