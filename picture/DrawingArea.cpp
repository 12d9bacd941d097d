#include "picture/DrawingArea.h"

#include <QPainter>

#include "model/SimState.h"

namespace tovik {

QImage ComposeDrawingArea(const QImage& picture) {
    QImage composed(DrawingWidth, DrawingHeight, QImage::Format_RGB32);
    composed.fill(Qt::black);
    if (!picture.isNull()) {
        QPainter p(&composed);
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        p.drawImage(QPoint(0, 0), picture);
    }
    return composed;
}

PixelView PixelsOf(const QImage& image) {
    return {reinterpret_cast<const std::uint32_t*>(image.constBits()), static_cast<int>(image.bytesPerLine() / 4),
            image.width(), image.height()};
}

}  // namespace tovik
