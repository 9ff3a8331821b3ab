// Very large and broken inputs: every operation gives its rule's result in one
// pass, without reading past the end.

#include "text/code_page.h"
#include "text/number_text.h"
#include "text/text_cut.h"
#include "text/url_encode.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace sw {
namespace {

constexpr size_t kHuge = 100u << 20;

TEST(LargeInputTest, BrokenCodePage936) {
    // Lead bytes before bytes that cannot follow them: one "?" per pair.
    std::string pairs(kHuge, '\x20');
    for (size_t i = 0; i < pairs.size(); i += 2)
        pairs[i] = '\x81';
    std::string utf8 = GbkToUtf8(pairs);
    EXPECT_EQ(kHuge / 2, utf8.size());
    EXPECT_TRUE(std::all_of(utf8.begin(), utf8.end(), [](char c) { return c == '?'; }));

    // Every 0xFF grows to three UTF-8 bytes.
    std::string ff(kHuge, '\xFF');
    EXPECT_EQ(kHuge * 3, GbkToUtf8(ff).size());
}

TEST(LargeInputTest, BrokenUtf8) {
    std::string continuation(kHuge, '\x80');
    std::string gbk = Utf8ToGbk(continuation);
    EXPECT_EQ(kHuge, gbk.size());
    EXPECT_EQ(std::string::npos, gbk.find_first_not_of('?'));
    // A text that ends inside a character.
    std::string cut = std::string(kHuge - 2, 'a') + "\xE4\xB8";
    EXPECT_EQ("a?", Utf8ToGbk(cut).substr(kHuge - 3));
}

TEST(LargeInputTest, MarkersAndNumbers) {
    std::string text(kHuge, 'a');
    text.replace(kHuge - 6, 3, "<b>");
    EXPECT_EQ("", TextBetween(text, "<b>", "</b>"));
    EXPECT_EQ("aaa", TextAfter(text, "<b>"));
    EXPECT_EQ("", TextBefore(text, std::string(kHuge + 1, 'a')));
    EXPECT_EQ(kHuge, UrlEncode(text.substr(0, kHuge - 6) + "aaaaaa", true).size());
    EXPECT_EQ(2147483647, TextToInt(std::string(kHuge, '9')));
}

} // namespace
} // namespace sw
