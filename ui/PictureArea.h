#pragma once

#include <QFrame>
#include <QImage>
#include <QRect>
#include <QTimer>
#include <cstdint>

#include "drawing/DrawnLines.h"
#include "drawing/RasterCanvas.h"

class QLabel;

namespace tovik {

class AreaFrame;

// The picture area pctMain: a 781 x 469 drawing area on black inside a
// 2-pixel sunken border. It owns a persistent image (the loaded picture plus
// everything drawn since) and carries the overlays Label5 and OptCalc, which
// lie on the picture but are not part of the image.
class PictureArea : public QFrame, private RasterSurface {
    Q_OBJECT
public:
    explicit PictureArea(QWidget* parent = nullptr);

    static constexpr int Border = 2;

    int drawingWidth() const { return image_.width(); }
    int drawingHeight() const { return image_.height(); }

    // Colour of pixel (x, y) as 0x00BBGGRR; 0 outside the drawing area.
    std::int32_t pixel(int x, int y) const;
    // The persistent image (Format_RGB32): what saving writes.
    const QImage& image() const { return image_; }

    // Makes img the loaded picture: shown unscaled at the top-left, cut at the
    // drawing area, transparency composited onto black. Drawings are dropped.
    void setPicture(const QImage& img);
    // The picture as loaded, without drawings.
    const QImage& picture() const { return picture_; }

    // Drawing on the persistent image, as line tracing does it.
    Canvas& canvas() { return canvas_; }
    // The field lines drawn since the picture was loaded or cleared, as
    // values; emptied with the drawings.
    DrawnLines& drawnLines() { return drawnLines_; }
    const DrawnLines& drawnLines() const { return drawnLines_; }
    void setForeColor(std::int32_t bgr) { canvas_.SetForeColor(bgr); }
    std::int32_t foreColor() const { return canvas_.ForeColor(); }
    // Colours the pixel at (x, y) and makes it the current drawing position.
    void plot(float x, float y) { canvas_.Plot(x, y); }
    // Draws a segment from the current drawing position to (x, y), which then
    // becomes the current position; what falls outside is clipped.
    void lineTo(float x, float y) { canvas_.LineTo(x, y); }
    // Removes every drawing: the loaded picture shows again (with the views
    // of the whole field, when there are any).
    void clearDrawings();
    // The picture with the views of the whole field painted on it, shown
    // under the drawings; the loaded picture itself takes the views away.
    // Loading a picture takes them away too.
    void setViews(const QImage& picture);

    QLabel* label5() const { return label5_; }
    QWidget* optCalc() const;
    // Overlay placement in drawing-area coordinates.
    void moveLabel5(double left, double top);
    void setOptCalcGeometry(double left, double top, double width, double height);

    // Paints pending damage now instead of waiting for the next frame.
    void flushDamage();

signals:
    void mousePressed(int button, double x, double y);
    void mouseMoved(double x, double y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    PixelBuffer Lock() override;
    void Damaged(int left, int top, int right, int bottom) override;
    void damage(const QRect& r);
    void compose(const QRect& r);

    QImage picture_;
    DrawnLines drawnLines_;
    QImage views_;  // picture_ with the views of the field, under the drawings
    QImage lines_;  // the drawings alone: opaque where drawn, transparent elsewhere
    QImage image_;  // views_ with lines_ over it
    RasterCanvas canvas_{*this};
    QRect dirty_;
    QTimer repaintTimer_;
    QLabel* label5_ = nullptr;
    AreaFrame* optCalc_ = nullptr;
};

}  // namespace tovik
