#include <gtest/gtest.h>

#include <cfloat>
#include <clocale>
#include <cmath>
#include <limits>
#include <string>

#include "model/NumberText.h"

namespace tovik {
namespace {

TEST(NumberText, TextToNumberReadsTheLeadingNumber) {
    const double inf = std::numeric_limits<double>::infinity();
    const struct { const char* text; double value; } rows[] = {
        {" 12.5 ", 12.5}, {"1 000", 1000}, {"-.5", -0.5}, {"2e3", 2000}, {"1,5", 1}, {"x1", 0}, {"", 0},
        {"2.5 s", 2.5}, {"\t1\n2", 12},  // tabs and line feeds go too
        {"1\r2", 1},                     // a carriage return ends the number
        {"+7", 7}, {"--5", 0}, {"+-5", 0}, {"-", 0}, {".", 0}, {"-0", 0}, {"1.2.3", 1.2}, {"5.", 5},
        {"1e", 1}, {"1E+", 1}, {"1e-2", 0.01}, {"1E+2x", 100}, {"1d2", 1}, {".e5", 0},
        {"&H1F", 31}, {"&h1f", 31}, {"&HFFFF", 65535}, {"&HFFFFFFFF", 4294967295.0}, {"&O17", 15},
        {"&o8", 0}, {"&H", 0}, {"&Hg", 0}, {"&X12", 0}, {"-&H1F", 0}, {"& H 1 F", 31},
        {"1e400", inf}, {"-1e400", -inf}, {"1e-400", 0}, {"0e99999999999999999999", 0},
        {"0.000001e400", inf}, {"100000e-400", 0},
    };
    for (const auto& r : rows) {
        const double v = TextToNumber(r.text);
        EXPECT_EQ(v, r.value) << '"' << r.text << '"';
        EXPECT_FALSE(std::signbit(v) && v == 0) << '"' << r.text << "\" gives -0";
    }
    // A very long run of digits is read exactly, without overflowing anything.
    EXPECT_EQ(TextToNumber(std::string(5000, '0') + "42"), 42);
    EXPECT_EQ(TextToNumber(std::string(400, '9')), inf);
    EXPECT_EQ(TextToNumber("." + std::string(400, '0') + "1"), 0);
}

TEST(NumberText, NumberToTextOfIntegersAndSingles) {
    const struct { std::int32_t value; const char* text; } ints[] = {
        {8, "8"}, {-3, "-3"}, {0, "0"}, {2147483647, "2147483647"}, {-2147483647 - 1, "-2147483648"},
    };
    for (const auto& r : ints) EXPECT_EQ(NumberToText(r.value), r.text) << r.value;

    const struct { float value; const char* text; } singles[] = {
        {0.25f, ".25"}, {1000, "1000"}, {250.5f, "250.5"}, {-0.5f, "-.5"}, {1e20f, "1E+20"}, {0, "0"},
        {-0.0f, "0"}, {0.1f, ".1"}, {1.0f / 3, ".3333333"}, {9999999, "9999999"}, {12345678, "1.234568E+07"},
        {9999999.5f, "1E+07"}, {10000000, "1E+07"}, {0.0001f, ".0001"}, {0.00012345f, ".00012345"},
        {0.00001f, "1E-05"}, {-1.5e-7f, "-1.5E-07"}, {FLT_MAX, "3.402823E+38"}, {FLT_TRUE_MIN, "1.401298E-45"},
        {1.0000001f, "1"},
    };
    for (const auto& r : singles) EXPECT_EQ(NumberToText(r.value), r.text) << r.text;
}

TEST(NumberText, DoubleToTextHasFifteenDigitsAtMost) {
    const struct { double value; const char* text; } rows[] = {
        {0, "0"}, {-0.0, "0"}, {562, "562"}, {-2.25, "-2.25"}, {1.0 / 3, "0.333333333333333"},
        {123456789012345678.0, "1.23456789012346e+17"}, {1e20, "1e+20"}, {1.5e-7, "1.5e-07"}, {0.0001, "0.0001"},
        {1e15, "1e+15"}, {999999999999999.0, "999999999999999"}, {0.1 + 0.2, "0.3"},
    };
    for (const auto& r : rows) EXPECT_EQ(DoubleToText(r.value), r.text) << r.text;
}

TEST(NumberText, FitsSingleStopsWhereRoundingReachesInfinity) {
    const double edge = 0x1.fffffep+127 + 0x1p+103;  // halfway past the largest single
    for (double v : {0.0, double(FLT_MAX), -3.4028235e38, std::nextafter(edge, 0.0)}) EXPECT_TRUE(FitsSingle(v)) << v;
    for (double v : {edge, -3.5e38, std::numeric_limits<double>::infinity()}) EXPECT_FALSE(FitsSingle(v)) << v;
}

TEST(NumberText, ConversionsIgnoreTheUsersLocale) {
    const char* chosen = nullptr;
    for (const char* name : {"de_DE.UTF-8", "ru_RU.UTF-8", "fr_FR.UTF-8", "de_DE", "ru_RU"})
        if (std::setlocale(LC_ALL, name)) {
            chosen = name;
            break;
        }
    if (!chosen) GTEST_SKIP() << "no locale with a decimal comma is installed";
    EXPECT_EQ(TextToNumber("2.5"), 2.5);
    EXPECT_EQ(TextToNumber("1,5"), 1);
    EXPECT_EQ(NumberToText(250.5f), "250.5");
    EXPECT_EQ(DoubleToText(-2.25), "-2.25");
    std::setlocale(LC_ALL, "C");
}

}  // namespace
}  // namespace tovik
