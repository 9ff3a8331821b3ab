#include "text/number_text.h"

#include "tests/support/gbk_assert.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace sw {
namespace {

using test::Describe;
using test::G;

TEST(NumberTextTest, TextToIntReadsTheLeadingInteger) {
    const std::pair<std::string, std::int32_t> cases[] = {
        {"123", 123},
        {"  -42abc", -42},
        {"+7", 7},
        {"99.87", 99},
        {"\t\n 5", 5},
        {"abc", 0},
        {"", 0},
        {"- 5", 0},
        {"1e3", 1},
        {G("１２３"), 123},       // full-width digits
        {G("－８"), -8},          // full-width minus
        {G("\u3000\u3000９"), 9}, // ideographic spaces are blanks
        {G("１２中3"), 12},       // another two-byte character ends the number
        {"2147483647", 2147483647},
        {"2147483648", 2147483647}, // held at the ends of the range
        {"-99999999999", std::numeric_limits<std::int32_t>::min()},
        {"\xA3", 0}, // a lone lead byte
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(expected, TextToInt(text)) << Describe(text);
}

TEST(NumberTextTest, TextToInt64KeepsTheWholeValue) {
    EXPECT_EQ(4294967296LL, TextToInt64("4294967296"));
    EXPECT_EQ(-9223372036854775807LL - 1, TextToInt64("-9223372036854775808"));
    EXPECT_EQ(9223372036854775807LL, TextToInt64("99999999999999999999999"));
    EXPECT_EQ(9987, TextToInt64(G("９９８７")));
}

TEST(NumberTextTest, TextToNumberReadsADecimalNumber) {
    const std::pair<std::string, double> cases[] = {
        {"1.1", 1.1},
        {"  -2.5e3x", -2500.0},
        {".5", 0.5},
        {"5.", 5.0},
        {"1e", 1.0},
        {"1e+", 1.0},
        {"3E-2", 0.03},
        {".", 0.0},
        {"x1", 0.0},
        {"inf", 0.0},
        {"0x10", 0.0},
        {G("１．１"), 1.1},
        {G("\u3000－１．５ｅ２"), -150.0},
        {"1.00000001", 1.00000001},
        {"1e-400", 0.0},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_DOUBLE_EQ(expected, TextToNumber(text)) << Describe(text);
    EXPECT_TRUE(std::isinf(TextToNumber("1e400")));
    EXPECT_TRUE(std::isinf(TextToNumber(std::string(400, '9'))));
}

TEST(NumberTextTest, NumberToTextWritesThirteenDigitsWithAThreeDigitExponent) {
    const std::pair<double, std::string> cases[] = {
        {4.8, "4.8"},
        {120, "120"},
        {1e14, "1e+014"},
        {1e-5, "1e-005"},
        {1234567890123.0, "1234567890123"},
        {12345678901234.0, "1.234567890123e+013"},
        {1e100, "1e+100"},
        {-0.5, "-0.5"},
        {0.1 + 0.2, "0.3"},
        {0, "0"},
        {std::numeric_limits<double>::infinity(), "1.#INF"},
    };
    for (const auto& [value, expected] : cases)
        EXPECT_EQ(expected, NumberToText(value)) << value;
}

TEST(NumberTextTest, TruthTexts) {
    EXPECT_GBK_EQ(G("真"), TruthText(true));
    EXPECT_GBK_EQ(G("假"), TruthText(false));
}

} // namespace
} // namespace sw
