#include "text/url_encode.h"

#include "tests/support/gbk_assert.h"

#include <gtest/gtest.h>

namespace sw {
namespace {

using test::G;

struct UrlCase {
    std::string text;
    bool keepPlain;
    bool toUtf8;
    std::string expected;
};

TEST(UrlEncodeTest, EncodesEveryByteButThePlainOnes) {
    const UrlCase cases[] = {
        {G("中"), true, true, "%E4%B8%AD"},
        {G("中"), true, false, "%D6%D0"},
        {"a b/c_d~e.f-9", true, false, "a%20b%2Fc%5Fd%7Ee.f-9"},
        {"ab", false, false, "%61%62"},
        {"ab", false, true, "%61%62"},
        {"A&=?#%+", true, true, "A%26%3D%3F%23%25%2B"},
        {"", true, true, ""},
        {"", false, false, ""},
        {"\xFF", true, false, "%FF"},
        {"\xFF", true, true, "%EF%A3%B5"}, // 0xFF decodes to U+F8F5
    };
    for (const UrlCase& c : cases)
        EXPECT_EQ(c.expected, UrlEncode(c.text, c.keepPlain, c.toUtf8)) << test::Describe(c.text);
}

TEST(UrlEncodeTest, EscapeUnsafeUrlBytesKeepsWhatAUrlCanCarry) {
    const std::pair<std::string, std::string> cases[] = {
        {"/search?q=a%20b&x=1#f", "/search?q=a%20b&x=1#f"},
        {"/a b\tc", "/a%20b%09c"},
        {"/" + G("中"), "/%D6%D0"},
        {std::string("/\x7F\x00", 3), "/%7F%00"},
        {"", ""},
    };
    for (const auto& [url, escaped] : cases)
        EXPECT_EQ(escaped, EscapeUnsafeUrlBytes(url)) << test::Describe(url);
}

} // namespace
} // namespace sw
