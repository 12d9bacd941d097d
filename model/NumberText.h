#pragma once

// Number-text conversions shared by the settings store, the dialogs and the
// read-outs. Plain C++, independent of the user's locale.

#include <cstdint>
#include <string>
#include <string_view>

namespace tovik {

// The leading number of a text; "." is the only decimal separator; 0 when
// the text has none. Blanks, tabs and line feeds anywhere are ignored;
// "&H" and "&O" introduce hexadecimal and octal integers, read as the
// non-negative value of all the digits that follow ("&HFFFF" is 65535).
// A decimal number beyond the double range gives an infinity of its sign,
// one too small for it gives 0; the result is never NaN and never -0.
double TextToNumber(std::string_view text);

// Decimal text of an integer variable: "8", "-3".
std::string NumberToText(std::int32_t value);
// Shortest text of a single-precision variable with at most 7 significant
// digits and no zero before the point: ".5", "250.5", "1E+20". The
// exponent form is used when the decimal exponent of the rounded value is
// 7 or more or below -4 (12345678 gives "1.234568E+07", 0.0001 gives
// ".0001", 0.00001 gives "1E-05"); the exponent has a sign and at least
// two digits.
std::string NumberToText(float value);

// Text of a double in a read-out: general form with at most 15 significant
// digits (as printf's %.15g), "." as separator, 0 as "0".
std::string DoubleToText(double value);

// True when a double rounds to a finite single-precision value.
bool FitsSingle(double value);

}  // namespace tovik
