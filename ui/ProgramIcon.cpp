#include "ui/ProgramIcon.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>

namespace tovik {

void PaintProgramIcon(QPainter& p) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(QRectF(0, 0, 32, 32), Qt::black);

    const QPointF positive(8.5, 16.0);
    const QPointF negative(23.5, 16.0);

    // Field lines leave the positive charge and bend over to the negative one;
    // the straight one runs along the axis between them.
    p.setPen(QPen(Qt::white, 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawLine(positive, negative);
    for (double bulge : {6.0, 13.0, 20.0}) {
        QPainterPath upper(positive);
        upper.cubicTo(positive + QPointF(-2, -bulge), negative + QPointF(2, -bulge), negative);
        QPainterPath lower(positive);
        lower.cubicTo(positive + QPointF(-2, bulge), negative + QPointF(2, bulge), negative);
        p.drawPath(upper);
        p.drawPath(lower);
    }

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 255));
    p.drawEllipse(positive, 4.5, 4.5);
    p.setBrush(QColor(255, 0, 0));
    p.drawEllipse(negative, 4.5, 4.5);

    // The signs on the charges.
    p.setPen(QPen(Qt::white, 1.5));
    p.drawLine(positive + QPointF(-2.5, 0), positive + QPointF(2.5, 0));
    p.drawLine(positive + QPointF(0, -2.5), positive + QPointF(0, 2.5));
    p.drawLine(negative + QPointF(-2.5, 0), negative + QPointF(2.5, 0));
    p.restore();
}

QPixmap ProgramIcon() {
    QImage image(32, 32, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&image);
    PaintProgramIcon(p);
    p.end();
    return QPixmap::fromImage(image);
}

}  // namespace tovik
