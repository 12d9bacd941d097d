#include <gtest/gtest.h>

#include <QLabel>
#include <QTest>
#include <tuple>
#include <vector>

#include "ui/PictureArea.h"

namespace tovik {
namespace {

QImage Filled(int w, int h, QColor c, QImage::Format f = QImage::Format_RGB32) {
    QImage img(w, h, f);
    img.fill(c);
    return img;
}

// A larger picture is cut, a smaller one and transparent pixels show black.
TEST(PictureArea, PictureIsCutOrFilledToTheDrawingArea) {
    PictureArea area;
    area.setPicture(Filled(1000, 600, Qt::blue));
    EXPECT_EQ(area.image().size(), QSize(781, 469));
    EXPECT_EQ(area.pixel(780, 468), 0xFF0000);

    QImage small = Filled(10, 10, QColor(0, 0, 255, 0), QImage::Format_ARGB32);
    small.setPixelColor(9, 9, QColor(0, 0, 255, 255));
    area.setPicture(small);
    EXPECT_EQ(area.pixel(9, 9), 0xFF0000);
    EXPECT_EQ(area.pixel(0, 0), 0);
    EXPECT_EQ(area.pixel(10, 9), 0);
    EXPECT_EQ(area.pixel(9, 10), 0);
}

TEST(PictureArea, PlotLineToAndClear) {
    PictureArea area;
    QImage pic = Filled(781, 469, Qt::black);
    pic.setPixel(50, 50, qRgb(0, 0, 255));
    area.setPicture(pic);
    area.setForeColor(0xFFFFFF);

    area.plot(10, 10);
    area.lineTo(20, 10);
    area.lineTo(20, 15);
    area.lineTo(50, 50);
    for (int x = 10; x <= 20; ++x) EXPECT_EQ(area.pixel(x, 10), 0xFFFFFF) << x;
    for (int y = 10; y <= 15; ++y) EXPECT_EQ(area.pixel(20, y), 0xFFFFFF) << y;
    EXPECT_EQ(area.pixel(21, 10), 0);
    EXPECT_EQ(area.pixel(50, 50), 0xFFFFFF);

    // Segments leaving the area are clipped; far-away ones cost nothing.
    area.plot(-5, 100);
    area.lineTo(5, 100);
    EXPECT_EQ(area.pixel(0, 100), 0xFFFFFF);
    area.plot(1e9f, -1e9f);
    area.lineTo(-1e9f, 1e9f);
    area.lineTo(1e30, 1e30);

    area.clearDrawings();
    EXPECT_EQ(area.pixel(10, 10), 0);
    EXPECT_EQ(area.pixel(50, 50), 0xFF0000);
    EXPECT_EQ(area.image(), area.picture());
}

TEST(PictureArea, OverlaysAreNotPartOfTheImage) {
    PictureArea area;
    area.label5()->setText("12345");
    area.label5()->adjustSize();
    area.moveLabel5(100, 100);
    area.label5()->show();
    area.setOptCalcGeometry(10, 10, 300, 200);
    area.optCalc()->show();
    area.show();
    // The widget shows the overlays...
    EXPECT_EQ(area.grab().toImage().pixelColor(12, 12 + 50), QColor(Qt::white));
    // ...but the image that saving writes does not hold them.
    EXPECT_EQ(area.image(), area.picture());
}

TEST(PictureArea, ReportsPressesInDrawingCoordinatesWithTheButtonsCodes) {
    PictureArea area;
    area.show();
    std::vector<std::tuple<int, double, double>> presses;
    QObject::connect(&area, &PictureArea::mousePressed,
                     [&](int button, double x, double y) { presses.emplace_back(button, x, y); });
    for (Qt::MouseButton b : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton})
        QTest::mouseClick(&area, b, Qt::NoModifier, QPoint(12, 7));
    EXPECT_EQ(presses, (std::vector<std::tuple<int, double, double>>{{1, 10, 5}, {2, 10, 5}, {4, 10, 5}}));
}

}  // namespace
}  // namespace tovik
