#pragma once

#include <QString>
#include <functional>

#include "model/RunTimeError.h"

class QWidget;

namespace tovik {

// Shows a message about a command that could not be carried out.
using ErrorPresenter = std::function<void(QWidget* parent, const QString& message)>;

// The message text for a run-time error of the given kind.
QString RunTimeErrorMessage(RunTimeErrorKind kind);

// Runs one event handler. A run-time error ends the command where it was met
// (what it has done so far stays done), is shown through `show` naming its
// kind, and the program keeps running.
void RunGuarded(QWidget* parent, const ErrorPresenter& show, const std::function<void()>& handler);

}  // namespace tovik
