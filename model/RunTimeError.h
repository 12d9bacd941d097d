#pragma once

#include <stdexcept>
#include <string>

namespace tovik {

// The four kinds of run-time error a command can meet. A command that meets
// one stops where it is; what it has done so far stays done.
enum class RunTimeErrorKind {
    Overflow,
    SubscriptOutOfRange,
    DivisionByZero,
    InvalidOperation,
};

class RunTimeError : public std::runtime_error {
public:
    explicit RunTimeError(RunTimeErrorKind kind);
    RunTimeErrorKind kind() const noexcept { return kind_; }

private:
    RunTimeErrorKind kind_;
};

// Short English name of the kind, for logs and test output.
const char* RunTimeErrorKindName(RunTimeErrorKind kind) noexcept;

}  // namespace tovik
