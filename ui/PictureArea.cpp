#include "ui/PictureArea.h"

#include <QFont>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "model/SimState.h"
#include "ui/AreaFrame.h"
#include "picture/DrawingArea.h"

namespace tovik {

namespace {

constexpr int kFrameIntervalMs = 16;  // about 60 repaints a second at most

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

}  // namespace

PictureArea::PictureArea(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(Border);
    setFixedSize(DrawingWidth + 2 * Border, DrawingHeight + 2 * Border);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);

    picture_ = QImage(DrawingWidth, DrawingHeight, QImage::Format_RGB32);
    picture_.fill(Qt::black);
    views_ = picture_;
    lines_ = QImage(picture_.size(), QImage::Format_ARGB32);
    lines_.fill(Qt::transparent);
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
    // The face asked for, else the window's own face rather than whatever
    // the system would put in its place.
    QFont f = font();
    QStringList faces{QStringLiteral("MS Sans Serif")};
    faces += f.families().isEmpty() ? QStringList{f.family()} : f.families();
    f.setFamilies(faces);
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
    picture_ = ComposeDrawingArea(img);
    views_ = picture_;
    lines_ = QImage(picture_.size(), QImage::Format_ARGB32);
    lines_.fill(Qt::transparent);
    image_ = picture_.copy();
    drawnLines_.Clear();
    damage(image_.rect());
}

PixelBuffer PictureArea::Lock() {
    // bits() detaches the image from any copy made of it (by saving, say),
    // so drawing never changes a copy.
    return {reinterpret_cast<std::uint32_t*>(lines_.bits()), static_cast<int>(lines_.bytesPerLine() / 4),
            lines_.width(), lines_.height()};
}

void PictureArea::Damaged(int left, int top, int right, int bottom) {
    const QRect r(QPoint(left, top), QPoint(right, bottom));
    compose(r);
    damage(r);
}

void PictureArea::compose(const QRect& rect) {
    const QRect r = rect.intersected(image_.rect());
    for (int y = r.top(); y <= r.bottom(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(lines_.constScanLine(y));
        const QRgb* under = reinterpret_cast<const QRgb*>(views_.constScanLine(y));
        QRgb* out = reinterpret_cast<QRgb*>(image_.scanLine(y));
        for (int x = r.left(); x <= r.right(); ++x) out[x] = qAlpha(line[x]) ? line[x] : under[x];
    }
}

void PictureArea::setViews(const QImage& picture) {
    views_ = picture.size() == picture_.size() ? picture.convertToFormat(QImage::Format_RGB32) : picture_;
    compose(image_.rect());
    damage(image_.rect());
}

void PictureArea::clearDrawings() {
    lines_.fill(Qt::transparent);
    image_ = views_.copy();
    drawnLines_.Clear();
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
