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
// "ОК" refuses texts that would make the program do nothing or that their
// parameter cannot hold: a time limit or a largest field that is not above 0,
// a square size that does not round to 1 .. 469 (the drawing area's height),
// a charge of 0, and any number beyond the single-precision range; a text
// without a number counts as 0. It then shows one message naming the field
// and the values it takes, stores and applies nothing, and stays open with
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
    // A change of language sets every text again.
    void changeEvent(QEvent* event) override;
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
    void retranslateUi();
    // The message for the first text "ОК" cannot take, or an empty text.
    QString refusal(QLineEdit** field) const;

    SimState& state_;
    SettingsStore& store_;
    const WindowServices& services_;
    bool focusPlaced_ = false;
};

}  // namespace tovik
