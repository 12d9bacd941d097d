#include "ui/Controls.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>

namespace tovik {

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& text, int left, int top,
                        int width, int height) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setGeometry(left, top, width, height);
    return button;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, int left, int top, int width,
                  int height, bool sizedToText) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setGeometry(left, top, width, height);
    if (sizedToText) label->adjustSize();
    return label;
}

namespace {
constexpr const char* PreparedProperty = "prepared";
}  // namespace

void SetPreparationCaption(QPushButton* button, bool prepared) {
    button->setProperty(PreparedProperty, prepared);
    button->setText(prepared ? QCoreApplication::translate("tovik::MainWindow", "Переподготовка")
                             : QCoreApplication::translate("tovik::MainWindow", "Подготовка"));
}

void RetranslatePreparationCaption(QPushButton* button) {
    SetPreparationCaption(button, button->property(PreparedProperty).toBool());
}

}  // namespace tovik
