#include "ui/PreparationView.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <cmath>

#include "ui/MainWindow.h"
#include "ui/PictureArea.h"

namespace tovik {

PreparationView::PreparationView(MainWindow& window) : w_(window) {}

std::array<QWidget*, 5> PreparationView::controls() const {
    return {w_.sldrCalc, w_.Command2, w_.Command3, w_.Command7, w_.Command8};
}

void PreparationView::DisablePreparationControls() {
    const auto c = controls();
    for (std::size_t i = 0; i < c.size(); ++i) {
        saved_[i] = c[i]->isEnabled();
        c[i]->setEnabled(false);
    }
}

void PreparationView::EnablePreparationControls() {
    for (QWidget* c : {static_cast<QWidget*>(w_.Command2), static_cast<QWidget*>(w_.Command3),
                       static_cast<QWidget*>(w_.Command7), static_cast<QWidget*>(w_.Command8),
                       static_cast<QWidget*>(w_.sldrCalc)})
        c->setEnabled(true);
}

void PreparationView::RestorePreparationControls() {
    const auto c = controls();
    for (std::size_t i = 0; i < c.size(); ++i) c[i]->setEnabled(saved_[i]);
}

int PreparationView::CalcSliderPosition() { return w_.sldrCalc->value(); }
float PreparationView::ScaleWidth() { return static_cast<float>(w_.pctMain->drawingWidth()); }
float PreparationView::ScaleHeight() { return static_cast<float>(w_.pctMain->drawingHeight()); }

// The progress bar counts in whole steps; the Preparation's values are whole
// column numbers.
void PreparationView::SetProgressMax(float max) { w_.prBar->setMaximum(static_cast<int>(std::lround(max))); }
float PreparationView::ProgressMax() { return static_cast<float>(w_.prBar->maximum()); }
// QProgressBar repaints itself at once whenever its value moves it by a
// chunk; Preparation sets it for every fifth column in a row without
// yielding, which would cost a full repaint of the bar each time. The bar is painted with the
// window's next repaint instead, showing its latest value.
void PreparationView::SetProgressValue(float value) {
    w_.prBar->setUpdatesEnabled(false);
    w_.prBar->setValue(static_cast<int>(std::lround(value)));
    w_.prBar->setUpdatesEnabled(true);
}
void PreparationView::ShowProgress(bool visible) { w_.prBar->setVisible(visible); }

PixelView PreparationView::Pixels() {
    const QImage& img = w_.pctMain->image();
    PixelView v;
    v.data = reinterpret_cast<const std::uint32_t*>(img.constBits());
    v.strideWords = static_cast<int>(img.bytesPerLine() / 4);
    v.width = img.width();
    v.height = img.height();
    return v;
}

void PreparationView::ShowMarker(bool visible) { w_.pctMain->optCalc()->setVisible(visible); }

void PreparationView::MoveMarker(float left, float top, float width, float height) {
    w_.pctMain->setOptCalcGeometry(left, top, width, height);
}

void PreparationView::SetLabelText(const std::string& text) {
    QLabel* l = w_.pctMain->label5();
    l->setText(QString::fromStdString(text));
    l->adjustSize();
}

float PreparationView::LabelWidth() { return static_cast<float>(w_.pctMain->label5()->width()); }
float PreparationView::LabelHeight() { return static_cast<float>(w_.pctMain->label5()->height()); }
void PreparationView::MoveLabel(float left, float top) { w_.pctMain->moveLabel5(left, top); }
void PreparationView::ShowLabel(bool visible) { w_.pctMain->label5()->setVisible(visible); }
void PreparationView::RepaintLabel() { w_.pctMain->label5()->repaint(); }

void PreparationView::SetPrepareCaption(const std::string& caption) {
    w_.Command3->setText(QString::fromStdString(caption));
}

void PreparationView::SetElapsedText(const std::string& text) { w_.Er->setText(QString::fromStdString(text)); }

}  // namespace tovik
