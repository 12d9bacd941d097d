#pragma once

#include <QString>
#include <functional>

#include "model/RunTimeError.h"

class QWidget;

namespace tovik {

// Shows a run-time error to the user; tests replace it to record the errors
// instead of opening a message box.
using ErrorPresenter = std::function<void(QWidget* parent, const QString& message)>;
void SetErrorPresenter(ErrorPresenter presenter);
void ResetErrorPresenter();

// Shows a message about a command that could not be carried out (a file that
// cannot be read or written) through the same presenter.
void PresentError(QWidget* parent, const QString& message);

// The message text for a run-time error of the given kind.
QString RunTimeErrorMessage(RunTimeErrorKind kind);

// Runs one event handler. A run-time error ends the command where it was met
// (what it has done so far stays done), is shown in a message box naming its
// kind, and the program keeps running.
void RunGuarded(QWidget* parent, const std::function<void()>& handler);

}  // namespace tovik
