#pragma once

#include <QString>

class QLabel;
class QPushButton;
class QWidget;

namespace tovik {

// Controls placed by hand at fixed positions, named after the window layout.
QPushButton* MakeButton(QWidget* parent, const char* name, const QString& text, int left, int top,
                        int width, int height);
// A label at the given place; one sized to its text keeps only its top-left
// corner.
QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, int left, int top, int width,
                  int height, bool sizedToText);
// Sets the caption of "Подготовка" (Command3): "Переподготовка" once a
// Preparation of the shown picture has ended, "Подготовка" before. The button
// remembers which, so that the caption follows a change of language.
void SetPreparationCaption(QPushButton* button, bool prepared);
// The caption again, in the language now in use.
void RetranslatePreparationCaption(QPushButton* button);

}  // namespace tovik
