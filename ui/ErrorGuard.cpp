#include "ui/ErrorGuard.h"

#include <exception>
#include <new>

namespace tovik {

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

void RunGuarded(QWidget* parent, const ErrorPresenter& show, const std::function<void()>& handler) {
    try {
        handler();
    } catch (const RunTimeError& e) {
        show(parent, RunTimeErrorMessage(e.kind()));
    } catch (const std::bad_alloc&) {
        show(parent, QStringLiteral("Недостаточно памяти для выполнения команды."));
    } catch (const std::exception& e) {
        show(parent, QStringLiteral("Внутренняя ошибка: %1").arg(QString::fromUtf8(e.what())));
    }
}

}  // namespace tovik
