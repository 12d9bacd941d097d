#include "ui/AdvancedDialog.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cfloat>
#include <cmath>
#include <string>

#include "model/Checked.h"
#include "model/SimState.h"
#include "model/NumberText.h"
#include "settings/SettingsStore.h"
#include "ui/Controls.h"
#include "ui/ErrorGuard.h"
#include "ui/WindowServices.h"
#include "ui/WindowFont.h"

namespace tovik {

namespace {

// The dialog's labels size themselves to their text.
QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, int l, int t, int w, int h) {
    return tovik::MakeLabel(parent, name, text, l, t, w, h, true);
}

QLineEdit* MakeTextBox(QWidget* parent, const char* name, int top) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setGeometry(360, top, 81, 19);
    // The settings store keeps no longer text.
    box->setMaxLength(SettingsStore::MaxTextLength);
    return box;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& text, int left) {
    return tovik::MakeButton(parent, name, text, left, 112, 73, 25);
}

double NumberOf(const QLineEdit* box) { return TextToNumber(box->text().toStdString()); }

}  // namespace

AdvancedDialog::AdvancedDialog(SimState& state, SettingsStore& store, const WindowServices& services)
    : QDialog(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint),
      state_(state),
      store_(store),
      services_(services) {
    setObjectName("frmAdvanced");
    setFont(DialogFont());
    resize(450, 147);
    createControls();
    Form_Load();
}

void AdvancedDialog::createControls() {
    // The texts are set by retranslateUi.
    Label5 = MakeLabel(this, "Label5", QString(), 8, 8, 338, 13);
    Label6 = MakeLabel(this, "Label6", QString(), 8, 32, 334, 13);
    Label7 = MakeLabel(this, "Label7", QString(), 8, 56, 324, 13);
    Label1 = MakeLabel(this, "Label1", QString(), 8, 80, 282, 13);
    txtTime = MakeTextBox(this, "txtTime", 8);
    txtMax = MakeTextBox(this, "txtMax", 32);
    txtYo = MakeTextBox(this, "txtYo", 56);
    txtCharge = MakeTextBox(this, "txtCharge", 80);
    Command1 = MakeButton(this, "Command1", QString(), 288);
    Command1->setDefault(true);
    Command2 = MakeButton(this, "Command2", QString(), 368);
    retranslateUi();

    QWidget* chain[] = {txtYo, txtTime, txtMax, Command1, Command2, txtCharge};
    for (std::size_t i = 1; i < std::size(chain); ++i) setTabOrder(chain[i - 1], chain[i]);

    connect(Command1, &QPushButton::clicked, this, [this] { RunGuarded(this, services_.showError, [this] { Command1_Click(); }); });
    connect(Command2, &QPushButton::clicked, this, [this] { RunGuarded(this, services_.showError, [this] { Command2_Click(); }); });
}

void AdvancedDialog::retranslateUi() {
    setWindowTitle(tr("Дополнительные параметры программы"));
    Label5->setText(tr("Максимальное время нахождение ветви линии напряжённости (с)"));
    Label6->setText(tr("Максимально допустимая напряжённость для нахождения линии"));
    Label7->setText(tr("Размер квадратной области, на которые делится изображение"));
    Label1->setText(tr("Плотность заряда в самых ярких синих точках рисунка"));
    for (QLabel* label : {Label5, Label6, Label7, Label1}) label->adjustSize();
    Command1->setText(tr("ОК"));
    Command2->setText(tr("Отмена"));
}

void AdvancedDialog::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) retranslateUi();
    QDialog::changeEvent(event);
}

void AdvancedDialog::Form_Load() {
    const SimState& s = state_;
    txtTime->setText(QString::fromStdString(NumberToText(s.TimeLimit)));
    txtMax->setText(QString::fromStdString(NumberToText(s.MaxTension)));
    txtYo->setText(QString::fromStdString(NumberToText(s.PartDimmension)));
    txtCharge->setText(QString::fromStdString(NumberToText(s.MaxCharge)));
}

QString AdvancedDialog::refusal(QLineEdit** field) const {
    const QString largest = QString::fromStdString(NumberToText(FLT_MAX));
    // Each parameter with the values that make the program do something: a
    // time limit and a largest field above 0 (lines would end at once), a
    // square that fits the drawing area at least once (automatic tracing
    // would visit nothing), a charge other than 0 (there would be no field).
    // A text without a number reads as 0 and is refused with them.
    const auto positive = [](double v) { return FitsSingle(v) && static_cast<float>(v) > 0; };
    const auto square = [](double v) {
        const double r = std::nearbyint(v);  // ties to even, as the value is applied
        return r >= 1 && r <= DrawingHeight;
    };
    const auto charge = [](double v) { return FitsSingle(v) && static_cast<float>(v) != 0; };
    const QString positiveRange = tr("число больше 0 и не больше %1").arg(largest);
    const struct {
        QLineEdit* box;
        QLabel* label;
        bool (*accepts)(double);
        QString range;
    } fields[] = {
        {txtTime, Label5, positive, positiveRange},
        {txtMax, Label6, positive, positiveRange},
        {txtYo, Label7, square,
         tr("целое число от 1 до %1 (дробное число округляется до ближайшего целого)").arg(DrawingHeight)},
        {txtCharge, Label1, charge, tr("число от -%1 до %1, не равное 0").arg(largest)},
    };
    for (const auto& f : fields) {
        if (f.accepts(NumberOf(f.box))) continue;
        *field = f.box;
        return tr("В поле «%1» должно быть %2.").arg(f.label->text(), f.range);
    }
    return QString();
}

void AdvancedDialog::Command1_Click() {
    QLineEdit* field = nullptr;
    const QString message = refusal(&field);
    if (!message.isEmpty()) {
        services_.showWarning(this, message);
        field->setFocus();
        return;
    }

    SettingsStore& store = store_;
    store.RegPrepare();
    store.SetKeyValue("TimeLimit", txtTime->text().toStdString());
    store.SetKeyValue("MaxTension", txtMax->text().toStdString());
    store.SetKeyValue("PartDimmension", txtYo->text().toStdString());
    store.SetKeyValue("MaxCharge", txtCharge->text().toStdString());

    SimState& s = state_;
    s.TimeLimit = checked::ToSingle(NumberOf(txtTime));
    s.MaxTension = checked::ToSingle(NumberOf(txtMax));
    s.PartDimmension = checked::Round32(NumberOf(txtYo));
    s.MaxCharge = checked::ToSingle(NumberOf(txtCharge));
    close();
}

void AdvancedDialog::Command2_Click() { close(); }

void AdvancedDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!focusPlaced_) {
        focusPlaced_ = true;
        txtYo->setFocus();
    }
}

void AdvancedDialog::keyPressEvent(QKeyEvent* event) {
    // Escape does not close this window; Enter presses the default button.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->ignore();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace tovik
