#include "ui/ErrorGuard.h"

#include <QCoreApplication>
#include <exception>
#include <new>

namespace tovik {

QString RunTimeErrorMessage(RunTimeErrorKind kind) {
    switch (kind) {
        case RunTimeErrorKind::Overflow:
            return QCoreApplication::translate("tovik::ErrorGuard", "Ошибка выполнения: переполнение.");
        case RunTimeErrorKind::SubscriptOutOfRange:
            return QCoreApplication::translate("tovik::ErrorGuard",
                                               "Ошибка выполнения: индекс за пределами диапазона.");
        case RunTimeErrorKind::DivisionByZero:
            return QCoreApplication::translate("tovik::ErrorGuard", "Ошибка выполнения: деление на ноль.");
        case RunTimeErrorKind::InvalidOperation:
            return QCoreApplication::translate("tovik::ErrorGuard",
                                               "Ошибка выполнения: недопустимая операция с плавающей точкой.");
    }
    return QCoreApplication::translate("tovik::ErrorGuard", "Ошибка выполнения.");
}

void RunGuarded(QWidget* parent, const ErrorPresenter& show, const std::function<void()>& handler) {
    try {
        handler();
    } catch (const RunTimeError& e) {
        show(parent, RunTimeErrorMessage(e.kind()));
    } catch (const std::bad_alloc&) {
        show(parent, QCoreApplication::translate("tovik::ErrorGuard", "Недостаточно памяти для выполнения команды."));
    } catch (const std::exception& e) {
        show(parent, QCoreApplication::translate("tovik::ErrorGuard", "Внутренняя ошибка: %1")
                         .arg(QString::fromUtf8(e.what())));
    }
}

}  // namespace tovik
