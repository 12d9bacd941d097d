#include "settings/NumberText.h"

#include <charconv>
#include <cstdlib>

namespace tovik {

// Placeholder conversions; the full rules land with the settings store.
double TextToNumber(std::string_view text) { return std::strtod(std::string(text).c_str(), nullptr); }

std::string NumberToText(std::int32_t value) { return std::to_string(value); }

std::string NumberToText(float value) {
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 7);
    return std::string(buf, r.ptr);
}

std::string DoubleToText(double value) {
    if (value == 0) return "0";
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 15);
    return std::string(buf, r.ptr);
}

}  // namespace tovik
