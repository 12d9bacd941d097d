#include "ui/ErrorGuard.h"

#include <QMessageBox>
#include <QWidget>
#include <exception>
#include <new>

namespace tovik {

namespace {

void ShowMessageBox(QWidget* parent, const QString& message) {
    QMessageBox::critical(parent, QStringLiteral("Электрическое поле"), message);
}

ErrorPresenter& Presenter() {
    static ErrorPresenter presenter = ShowMessageBox;
    return presenter;
}

}  // namespace

void SetErrorPresenter(ErrorPresenter presenter) { Presenter() = std::move(presenter); }
void ResetErrorPresenter() { Presenter() = ShowMessageBox; }

void PresentError(QWidget* parent, const QString& message) { Presenter()(parent, message); }

QString RunTimeErrorMessage(RunTimeErrorKind kind) {
    switch (kind) {
        case RunTimeErrorKind::Overflow:
            return QStringLiteral("Ошибка выполнения: переполнение.");
        case RunTimeErrorKind::SubscriptOutOfRange:
            return QStringLiteral("Ошибка выполнения: индекс за пределами диапазона.");
        case RunTimeErrorKind::DivisionByZero:
            return QStringLiteral("Ошибка выполнения: деление на ноль.");
        case RunTimeErrorKind::InvalidOperation:
            return QStringLiteral("Ошибка выполнения: недопустимая операция с плавающей точкой.");
    }
    return QStringLiteral("Ошибка выполнения.");
}

void RunGuarded(QWidget* parent, const std::function<void()>& handler) {
    try {
        handler();
    } catch (const RunTimeError& e) {
        Presenter()(parent, RunTimeErrorMessage(e.kind()));
    } catch (const std::bad_alloc&) {
        Presenter()(parent, QStringLiteral("Недостаточно памяти для выполнения команды."));
    } catch (const std::exception& e) {
        Presenter()(parent, QStringLiteral("Внутренняя ошибка: %1").arg(QString::fromUtf8(e.what())));
    }
}

}  // namespace tovik
