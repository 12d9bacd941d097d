#include "model/RunTimeError.h"

namespace tovik {

RunTimeError::RunTimeError(RunTimeErrorKind kind)
    : std::runtime_error(RunTimeErrorKindName(kind)), kind_(kind) {}

const char* RunTimeErrorKindName(RunTimeErrorKind kind) noexcept {
    switch (kind) {
        case RunTimeErrorKind::Overflow: return "overflow";
        case RunTimeErrorKind::SubscriptOutOfRange: return "subscript out of range";
        case RunTimeErrorKind::DivisionByZero: return "division by zero";
        case RunTimeErrorKind::InvalidOperation: return "invalid floating-point operation";
    }
    return "run-time error";
}

}  // namespace tovik
