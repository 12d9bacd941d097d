#include "ui/PictureArea.h"

#include <QFont>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "model/SimState.h"
#include "ui/AreaFrame.h"

namespace tovik {

namespace {

constexpr int kFrameIntervalMs = 16;  // about 60 repaints a second at most

// Coordinates further out than this are clipped before rasterising, so that
// a segment far off the picture costs nothing.
constexpr double kNearLimit = 8192.0;

QRgb ToRgb(std::int32_t bgr) {
    const int r = bgr & 0xFF;
    const int g = (bgr >> 8) & 0xFF;
    const int b = (bgr >> 16) & 0xFF;
    return qRgb(r, g, b);
}

int MouseButtonCode(Qt::MouseButton b) {
    switch (b) {
        case Qt::LeftButton: return 1;
        case Qt::RightButton: return 2;
        case Qt::MiddleButton: return 4;
        case Qt::BackButton: return 8;
        case Qt::ForwardButton: return 16;
        default: return 0;
    }
}

// Clips the segment to the rectangle [xmin, xmax] x [ymin, ymax]
// (Liang-Barsky). Returns false when nothing of it lies inside.
bool ClipSegment(double& x0, double& y0, double& x1, double& y1, double xmin, double ymin,
                 double xmax, double ymax) {
    double t0 = 0.0, t1 = 1.0;
    const double dx = x1 - x0, dy = y1 - y0;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {x0 - xmin, xmax - x0, y0 - ymin, ymax - y0};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0.0) return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0.0) {
            if (t > t1) return false;
            t0 = std::max(t0, t);
        } else {
            if (t < t0) return false;
            t1 = std::min(t1, t);
        }
    }
    const double nx0 = x0 + t0 * dx, ny0 = y0 + t0 * dy;
    const double nx1 = x0 + t1 * dx, ny1 = y0 + t1 * dy;
    x0 = nx0; y0 = ny0; x1 = nx1; y1 = ny1;
    return true;
}

bool Near(double v) { return std::isfinite(v) && std::fabs(v) < kNearLimit; }

}  // namespace

PictureArea::PictureArea(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(Border);
    setFixedSize(DrawingWidth + 2 * Border, DrawingHeight + 2 * Border);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);

    picture_ = QImage(DrawingWidth, DrawingHeight, QImage::Format_RGB32);
    picture_.fill(Qt::black);
    image_ = picture_.copy();

    repaintTimer_.setSingleShot(true);
    repaintTimer_.setInterval(kFrameIntervalMs);
    connect(&repaintTimer_, &QTimer::timeout, this, [this] { flushDamage(); });

    optCalc_ = new AreaFrame(this);
    optCalc_->setObjectName("OptCalc");
    optCalc_->hide();
    setOptCalcGeometry(0, 0, DrawingWidth, DrawingHeight);

    label5_ = new QLabel("Label5", this);
    label5_->setObjectName("Label5");
    QFont f("MS Sans Serif");
    f.setStyleHint(QFont::SansSerif);
    f.setPointSize(24);
    f.setWeight(QFont::Normal);
    label5_->setFont(f);
    QPalette pal = label5_->palette();
    pal.setColor(QPalette::WindowText, QColor(255, 255, 0));
    label5_->setPalette(pal);
    label5_->setAttribute(Qt::WA_TransparentForMouseEvents);
    label5_->setGeometry(328 + Border, 200 + Border, 96, 37);
    label5_->hide();
}

std::int32_t PictureArea::pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= image_.width() || y >= image_.height()) return 0;
    const QRgb c = reinterpret_cast<const QRgb*>(image_.constScanLine(y))[x];
    return static_cast<std::int32_t>(qRed(c) | (qGreen(c) << 8) | (qBlue(c) << 16));
}

void PictureArea::setPicture(const QImage& img) {
    QImage composed(drawingWidth(), drawingHeight(), QImage::Format_RGB32);
    composed.fill(Qt::black);
    if (!img.isNull()) {
        QPainter p(&composed);
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        p.drawImage(QPoint(0, 0), img);
    }
    picture_ = composed;
    image_ = picture_.copy();
    damage(image_.rect());
}

void PictureArea::setForeColor(std::int32_t bgr) {
    foreColor_ = bgr;
    penRgb_ = ToRgb(bgr);
}

void PictureArea::setPixelClipped(int x, int y) {
    if (x < 0 || y < 0 || x >= image_.width() || y >= image_.height()) return;
    reinterpret_cast<QRgb*>(image_.scanLine(y))[x] = penRgb_;
}

void PictureArea::plot(double x, double y) {
    curX_ = x;
    curY_ = y;
    if (!Near(x) || !Near(y)) return;
    const int px = static_cast<int>(std::nearbyint(x));
    const int py = static_cast<int>(std::nearbyint(y));
    setPixelClipped(px, py);
    damage(QRect(px, py, 1, 1));
}

void PictureArea::lineTo(double x, double y) {
    double x0 = curX_, y0 = curY_, x1 = x, y1 = y;
    curX_ = x;
    curY_ = y;
    if (!std::isfinite(x0) || !std::isfinite(y0) || !std::isfinite(x1) || !std::isfinite(y1))
        return;
    if (!(Near(x0) && Near(y0) && Near(x1) && Near(y1)) &&
        !ClipSegment(x0, y0, x1, y1, -1.0, -1.0, image_.width(), image_.height()))
        return;
    int ax = static_cast<int>(std::nearbyint(x0)), ay = static_cast<int>(std::nearbyint(y0));
    const int bx = static_cast<int>(std::nearbyint(x1)), by = static_cast<int>(std::nearbyint(y1));
    const int dx = std::abs(bx - ax), dy = -std::abs(by - ay);
    const int sx = ax < bx ? 1 : -1, sy = ay < by ? 1 : -1;
    const QRect box = QRect(QPoint(std::min(ax, bx), std::min(ay, by)),
                            QPoint(std::max(ax, bx), std::max(ay, by)));
    int err = dx + dy;
    for (;;) {
        setPixelClipped(ax, ay);
        if (ax == bx && ay == by) break;
        const int e2 = 2 * err;
        if (e2 >= dy) { err += dy; ax += sx; }
        if (e2 <= dx) { err += dx; ay += sy; }
    }
    damage(box);
}

void PictureArea::clearDrawings() {
    image_ = picture_.copy();
    damage(image_.rect());
}

QWidget* PictureArea::optCalc() const { return optCalc_; }

void PictureArea::moveLabel5(double left, double top) {
    label5_->move(static_cast<int>(std::nearbyint(left)) + Border,
                  static_cast<int>(std::nearbyint(top)) + Border);
}

void PictureArea::setOptCalcGeometry(double left, double top, double width, double height) {
    const int l = static_cast<int>(std::nearbyint(left));
    const int t = static_cast<int>(std::nearbyint(top));
    const int w = static_cast<int>(std::nearbyint(width));
    const int h = static_cast<int>(std::nearbyint(height));
    // A one-pixel outline drawn around the pixels l..l+w-1 needs at least one
    // pixel; a zero-sized frame is kept as a single point.
    optCalc_->setGeometry(l + Border, t + Border, std::max(w, 1), std::max(h, 1));
}

void PictureArea::damage(const QRect& r) {
    const QRect clipped = r.intersected(image_.rect());
    if (clipped.isEmpty()) return;
    dirty_ = dirty_.united(clipped);
    if (!repaintTimer_.isActive()) repaintTimer_.start();
}

void PictureArea::flushDamage() {
    repaintTimer_.stop();
    if (dirty_.isEmpty()) return;
    const QRect r = dirty_.translated(Border, Border);
    dirty_ = QRect();
    update(r);
}

void PictureArea::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    const QRect target = event->rect().intersected(contentsRect());
    if (!target.isEmpty()) {
        p.drawImage(target, image_, target.translated(-Border, -Border));
    }
    drawFrame(&p);
}

void PictureArea::mousePressEvent(QMouseEvent* event) {
    const QPointF pos = event->position() - QPointF(Border, Border);
    if (!contentsRect().contains(event->position().toPoint())) return;
    emit mousePressed(MouseButtonCode(event->button()), pos.x(), pos.y());
}

void PictureArea::mouseMoveEvent(QMouseEvent* event) {
    const bool inside = contentsRect().contains(event->position().toPoint());
    if (!inside && event->buttons() == Qt::NoButton) return;
    const QPointF pos = event->position() - QPointF(Border, Border);
    emit mouseMoved(pos.x(), pos.y());
}

}  // namespace tovik
