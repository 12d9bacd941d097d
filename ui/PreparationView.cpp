#include "ui/PreparationView.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <cmath>

#include "model/Checked.h"
#include "model/NumberText.h"
#include "settings/SettingsStore.h"
#include "ui/AreaTools.h"
#include "ui/Controls.h"
#include "picture/DrawingArea.h"
#include "ui/MainWindowControls.h"
#include "ui/PictureArea.h"
#include "ui/WindowHost.h"
#include "ui/WindowNotice.h"

namespace tovik {

namespace {

// True when some pixel of the drawing area carries charge: its blue differs
// from its red.
bool HasCharge(const QImage& area) {
    for (int y = 0; y < area.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(area.constScanLine(y));
        for (int x = 0; x < area.width(); ++x)
            if (qBlue(row[x]) != qRed(row[x])) return true;
    }
    return false;
}

}  // namespace

PreparationView::PreparationView(MainWindowControls& controls, SimState& state, SettingsStore& store,
                                 WindowHost& host)
    : c_(controls), state_(state), store_(store), host_(host) {}

std::array<QWidget*, 5> PreparationView::controls() const {
    return {c_.sldrCalc, c_.Command2, c_.Command3, c_.Command7, c_.Command8};
}

void PreparationView::DisableControls() {
    const auto c = controls();
    for (std::size_t i = 0; i < c.size(); ++i) {
        saved_[i] = c[i]->isEnabled();
        c[i]->setEnabled(false);
    }
}

void PreparationView::EnableControls() {
    for (QWidget* c : {static_cast<QWidget*>(c_.Command2), static_cast<QWidget*>(c_.Command3),
                       static_cast<QWidget*>(c_.Command7), static_cast<QWidget*>(c_.Command8),
                       static_cast<QWidget*>(c_.sldrCalc)})
        c->setEnabled(true);
}

void PreparationView::RestoreControls() {
    const auto c = controls();
    for (std::size_t i = 0; i < c.size(); ++i) c[i]->setEnabled(saved_[i]);
}

void PreparationView::Run() {
    // The elapsed time is measured in double precision: a single-precision
    // reading of a clock that has run for hours would only resolve whole
    // fractions of a second.
    const double start = host_.Seconds();
    DisableControls();
    bool finished = false;
    try {
        store_.RegPrepare();
        state_.CalcSpeed = CalcSpeedForPosition(c_.sldrCalc->value());
        store_.SetKeyValue("CalcSpeed", NumberToText(state_.CalcSpeed));

        const float width = static_cast<float>(c_.pctMain->drawingWidth());
        const float height = static_cast<float>(c_.pctMain->drawingHeight());
        // The bar counts whole columns.
        c_.prBar->setMaximum(static_cast<int>(std::lround(checked::ToSingle(static_cast<double>(width) - 1.0))));
        c_.prBar->show();
        // The only yield of the run. When the window goes away meanwhile,
        // nothing of it may be touched again.
        if (!host_.ProcessPendingEvents()) return;

        // The pixels are taken after the yield: what was drawn or cleared
        // meanwhile takes part.
        const QImage& image = c_.pctMain->image();
        PreparationInput input;
        input.pixels = PixelsOf(image);
        input.scaleWidth = width;
        input.scaleHeight = height;
        input.cellSize = state_.CalcSpeed;
        const PreparationResult result = PrepareChargeModel(state_, input, *this);
        ShowMeanLabel(*c_.pctMain, state_, QString::fromStdString(DoubleToText(result.meanFloor)));

        c_.prBar->setValue(c_.prBar->maximum());
        SetPreparationCaption(c_.Command3, true);
        EnableControls();
        finished = true;
        c_.pctMain->optCalc()->hide();
        c_.pctMain->label5()->hide();
        c_.prBar->hide();
        c_.Er->setText(QString::fromStdString(DoubleToText(host_.Seconds() - start)));
        if (!HasCharge(image))
            c_.lblNotice->Say([] {
                return QCoreApplication::translate("tovik::MainWindow",
                                                   "На рисунке нет заряда: ни в одной точке синий не отличается "
                                                   "от красного, поэтому поля нет и линии не рисуются.");
            });
    } catch (...) {
        // A run that fails part-way gives its controls back.
        if (!finished) RestoreControls();
        throw;
    }
}

// QProgressBar repaints itself at once whenever its value moves it by a
// chunk; the columns are reported in a row without yielding, which would
// cost a full repaint of the bar each time. The bar is painted with the
// window's next repaint instead, showing its latest value.
void PreparationView::ColumnSampled(int x) {
    c_.prBar->setUpdatesEnabled(false);
    c_.prBar->setValue(x);
    c_.prBar->setUpdatesEnabled(true);
}

void PreparationView::MarkerShown() { c_.pctMain->optCalc()->show(); }

void PreparationView::MarkerMoved(float left, float top, float width, float height) {
    c_.pctMain->setOptCalcGeometry(left, top, width, height);
}

}  // namespace tovik
