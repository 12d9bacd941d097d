#pragma once

// Number-text conversions shared by the settings store, the dialogs and the
// read-outs. Plain C++, independent of the user's locale.

#include <cstdint>
#include <string>
#include <string_view>

namespace tovik {

// The leading number of a text; "." is the only decimal separator; 0 when
// the text has none. Blanks, tabs and line feeds anywhere are ignored;
// "&H" and "&O" introduce hexadecimal and octal integers.
double TextToNumber(std::string_view text);

// Decimal text of an integer variable: "8", "-3".
std::string NumberToText(std::int32_t value);
// Shortest text of a single-precision variable with at most 7 significant
// digits and no zero before the point: ".5", "250.5", "1E+20".
std::string NumberToText(float value);

// Text of a double in a read-out: general form with at most 15 significant
// digits, "." as separator, 0 as "0".
std::string DoubleToText(double value);

}  // namespace tovik
