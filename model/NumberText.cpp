#include "model/NumberText.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <system_error>

namespace tovik {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Value of a digit in the given base, or -1.
int DigitValue(char c, int base) {
    int d = -1;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
    return d < base ? d : -1;
}

// "&H1F", "&O17": the non-negative integer of the digits after the prefix.
double ReadBasedInteger(std::string_view digits, int base) {
    double v = 0;
    for (char c : digits) {
        const int d = DigitValue(c, base);
        if (d < 0) break;
        v = v * base + d;
    }
    return v;
}

// Magnitude class of a decimal number that the parser could not represent:
// true when it is too large for a double, false when too small.
bool TooLarge(std::string_view mantissa, std::string_view exponent) {
    bool seenPoint = false;
    bool found = false;
    long long intDigits = 0;
    long long zerosAfterPoint = 0;
    for (char c : mantissa) {
        if (c == '.') {
            seenPoint = true;
            continue;
        }
        if (!found && c == '0') {
            if (seenPoint) ++zerosAfterPoint;
            continue;
        }
        found = true;
        if (!seenPoint) ++intDigits;
    }
    if (!found) return false;
    // Decimal exponent of the first significant digit of the mantissa.
    const long long lead = intDigits > 0 ? intDigits - 1 : -(zerosAfterPoint + 1);
    // The exponent saturates; anything this large decides the class alone.
    long long e = 0;
    bool negative = false;
    for (char c : exponent) {
        if (c == '-') negative = true;
        else if (IsDigit(c) && e < 1'000'000'000) e = e * 10 + (c - '0');
    }
    return lead + (negative ? -e : e) > 0;
}

// Digits and exponent of a single rounded to 7 significant digits.
struct Decimal {
    std::string digits;  // 1 to 7 digits, no trailing zeros
    int exponent = 0;    // decimal exponent of the first digit
};

Decimal RoundTo7(float magnitude) {
    char buf[32];
    // d.dddddde+XX, correctly rounded from the exact value of the single.
    const auto r = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific, 6);
    const std::string_view text(buf, static_cast<std::size_t>(r.ptr - buf));
    const std::size_t e = text.find('e');
    Decimal d;
    for (char c : text.substr(0, e))
        if (IsDigit(c)) d.digits.push_back(c);
    while (d.digits.size() > 1 && d.digits.back() == '0') d.digits.pop_back();
    d.exponent = std::atoi(std::string(text.substr(e + 1)).c_str());
    return d;
}

}  // namespace

double TextToNumber(std::string_view text) {
    std::string s;
    s.reserve(text.size());
    for (char c : text)
        if (c != ' ' && c != '\t' && c != '\n') s.push_back(c);

    if (s.size() >= 2 && s[0] == '&') {
        const char kind = s[1];
        if (kind == 'H' || kind == 'h') return ReadBasedInteger(std::string_view(s).substr(2), 16);
        if (kind == 'O' || kind == 'o') return ReadBasedInteger(std::string_view(s).substr(2), 8);
    }

    // [sign] digits with at most one "." [E [sign] digits]
    std::size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    const std::size_t mantissaStart = i;
    bool point = false;
    std::size_t digits = 0;
    for (; i < s.size(); ++i) {
        if (IsDigit(s[i])) ++digits;
        else if (s[i] == '.' && !point) point = true;
        else break;
    }
    if (digits == 0) return 0;
    const std::size_t mantissaEnd = i;
    std::size_t exponentEnd = mantissaEnd;
    if (i < s.size() && (s[i] == 'E' || s[i] == 'e')) {
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
        const std::size_t expDigits = j;
        while (j < s.size() && IsDigit(s[j])) ++j;
        if (j > expDigits) exponentEnd = j;
    }

    const std::string_view number(s.data() + mantissaStart, exponentEnd - mantissaStart);
    double value = 0;
    const auto r = std::from_chars(number.data(), number.data() + number.size(), value,
                                   std::chars_format::general);
    if (r.ec == std::errc::result_out_of_range) {
        const std::string_view mantissa(s.data() + mantissaStart, mantissaEnd - mantissaStart);
        const std::string_view exponent = number.substr(mantissa.size());
        value = TooLarge(mantissa, exponent) ? std::numeric_limits<double>::infinity() : 0.0;
    } else if (r.ec != std::errc()) {
        value = 0;
    }
    if (value == 0) return 0;  // no negative zero
    return negative ? -value : value;
}

std::string NumberToText(std::int32_t value) { return std::to_string(value); }

std::string NumberToText(float value) {
    if (std::isnan(value)) return "NaN";
    if (std::isinf(value)) return value > 0 ? "Inf" : "-Inf";
    if (value == 0) return "0";

    const Decimal d = RoundTo7(std::fabs(value));
    std::string out = value < 0 ? "-" : "";
    if (d.exponent >= 7 || d.exponent < -4) {
        out += d.digits[0];
        if (d.digits.size() > 1) {
            out += '.';
            out.append(d.digits, 1);
        }
        out += d.exponent < 0 ? "E-" : "E+";
        const int e = std::abs(d.exponent);
        if (e < 10) out += '0';
        out += std::to_string(e);
    } else if (d.exponent >= 0) {
        const std::size_t intLen = static_cast<std::size_t>(d.exponent) + 1;
        std::string digits = d.digits;
        if (digits.size() < intLen) digits.append(intLen - digits.size(), '0');
        out.append(digits, 0, intLen);
        if (digits.size() > intLen) {
            out += '.';
            out.append(digits, intLen);
        }
    } else {
        out += '.';
        out.append(static_cast<std::size_t>(-d.exponent - 1), '0');
        out += d.digits;
    }
    return out;
}

std::string DoubleToText(double value) {
    if (value == 0) return "0";
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 15);
    return std::string(buf, r.ptr);
}

bool FitsSingle(double value) {
    // Half a unit in the last place above the largest single: magnitudes
    // below it round to a finite single, this one and above to infinity.
    constexpr double limit = 0x1.fffffep+127 + 0x1p+103;
    return std::fabs(value) < limit;
}

}  // namespace tovik
