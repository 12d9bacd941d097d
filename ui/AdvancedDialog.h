#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;

namespace tovik {

struct SimState;
struct WindowServices;
class SettingsStore;

// frmAdvanced: edits TimeLimit, MaxTension, PartDimmension and MaxCharge.
// Modeless, without an owner window; "ОК" stores the four texts as typed and
// applies their numbers at once, "Отмена" and the close box change nothing.
//
// "ОК" refuses texts that its parameter cannot hold: a number beyond the
// single-precision range, a PartDimmension beyond the 32-bit range or one
// that rounds to 0 (automatic tracing would never end). It then shows one
// message naming the field, stores and applies nothing, and stays open with
// the texts as typed.
class AdvancedDialog : public QDialog {
    Q_OBJECT
public:
    AdvancedDialog(SimState& state, SettingsStore& store, const WindowServices& services);

    // Event handlers.
    void Form_Load();
    void Command1_Click();
    void Command2_Click();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Controls, named as in the dialog's layout.
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* txtTime = nullptr;
    QLineEdit* txtMax = nullptr;
    QLineEdit* txtYo = nullptr;
    QLineEdit* txtCharge = nullptr;
    QPushButton* Command1 = nullptr;  // "ОК"
    QPushButton* Command2 = nullptr;  // "Отмена"

    void createControls();
    // The message for the first text "ОК" cannot take, or an empty text.
    QString refusal(QLineEdit** field) const;

    SimState& state_;
    SettingsStore& store_;
    const WindowServices& services_;
    bool focusPlaced_ = false;
};

}  // namespace tovik
