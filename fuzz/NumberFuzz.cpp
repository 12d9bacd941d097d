// Fuzz target: TextToNumber, the reading of every number the settings hold.

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "model/NumberText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const double v = tovik::TextToNumber(std::string_view(reinterpret_cast<const char*>(data), size));
    // Never NaN, never -0.
    if (std::isnan(v) || (v == 0 && std::signbit(v))) std::abort();
    return 0;
}
