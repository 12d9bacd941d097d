#include "ui/WindowNotice.h"

#include <QAction>
#include <QEvent>
#include <QPushButton>
#include <QSlider>

#include "ui/MainWindowControls.h"
#include "ui/PictureArea.h"

namespace tovik {

WindowNotice::WindowNotice(QWidget* window) : QLabel(window) {
    setObjectName("lblNotice");
    // The place of the progress bar.
    setGeometry(8, 584, 785, 17);
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setAutoFillBackground(true);
    setIndent(4);
    hide();
}

void WindowNotice::Say(std::function<QString()> text) {
    text_ = std::move(text);
    Show();
    show();
    raise();
}

void WindowNotice::Show() {
    const QString text = text_ ? text_() : QString();
    setText(text);
    setToolTip(text);
}

void WindowNotice::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange && text_) Show();
    QLabel::changeEvent(event);
}

void WindowNotice::Clear() {
    text_ = nullptr;
    hide();
    clear();
    setToolTip(QString());
}

void WindowNotice::ClearOnCommands(const MainWindowControls& c) {
    for (QPushButton* b : {c.Command1, c.Command2, c.Command3, c.Command4, c.Command5, c.Command6, c.Command7,
                           c.Command8})
        connect(b, &QPushButton::clicked, this, &WindowNotice::Clear);
    for (QSlider* s : {c.sldrCalc, c.sldrDraw}) connect(s, &QSlider::valueChanged, this, &WindowNotice::Clear);
    for (QAction* a : {c.mnCharge, c.mnClear, c.mnLines}) connect(a, &QAction::triggered, this, &WindowNotice::Clear);
    connect(c.pctMain, &PictureArea::mousePressed, this, &WindowNotice::Clear);
}

}  // namespace tovik
