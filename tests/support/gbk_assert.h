#pragma once

// Helpers that keep GBK test data readable: literals are written in UTF-8 and
// converted, and a failed comparison shows both texts as UTF-8 and as hex bytes.

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace sw::test {

// GBK bytes of a UTF-8 literal.
std::string G(std::string_view utf8);

// "text" (UTF-8 rendering) [hex bytes].
std::string Describe(std::string_view gbk);

::testing::AssertionResult GbkEqual(const char* expectedExpr, const char* actualExpr, std::string_view expected,
                                    std::string_view actual);

} // namespace sw::test

#define EXPECT_GBK_EQ(expected, actual) EXPECT_PRED_FORMAT2(::sw::test::GbkEqual, expected, actual)
#define ASSERT_GBK_EQ(expected, actual) ASSERT_PRED_FORMAT2(::sw::test::GbkEqual, expected, actual)
