#include "ui/AreaFrame.h"

#include <QPainter>

namespace tovik {

AreaFrame::AreaFrame(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
}

void AreaFrame::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setPen(QPen(Qt::white, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace tovik
