#pragma once

#include <QWidget>

namespace tovik {

// OptCalc: a rectangle with a white outline and no fill, lying on the picture.
class AreaFrame : public QWidget {
    Q_OBJECT
public:
    explicit AreaFrame(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace tovik
