#include "text/text_cut.h"

#include "tests/support/gbk_assert.h"

#include <gtest/gtest.h>

#include <optional>

namespace sw {
namespace {

using test::Describe;
using test::G;

struct BeforeCase {
    std::string text;
    std::string marker;
    long long start;
    bool ignoreCase;
    std::string expected;
};

TEST(TextCutTest, TextBefore) {
    const BeforeCase cases[] = {
        {"key=value", "=", 1, false, "key"},
        {"a=b=c", "=", 1, false, "a"},
        {"key=value", ":", 1, false, ""},
        {"a=b=c", "=", 3, false, "a=b"}, // the result still starts at the beginning
        {"a=b=c", "=", 0, false, "a"},   // 0 and below count as 1
        {"a=b=c", "=", -50, false, "a"},
        {"a=b=c", "=", 6, false, ""}, // past the end
        {"a=b=c", "=", 1LL << 40, false, ""},
        {"ab", "abc", 1, false, ""}, // marker longer than the text
        {"abc", "", 1, false, ""},   // an empty marker is found at 1
        {"KEY=v", "key=", 1, false, ""},
        {"xKEY=v", "key=", 1, true, "x"},
        // A match never begins on the second byte of a character ...
        {G("中a"),
         "\xD0"
         "a",
         1, false, ""},
        {G("中a") + "\xD0"
                    "a",
         "\xD0"
         "a",
         1, false, G("中a")},
        // ... counted from where the search starts.
        {G("中a"),
         "\xD0"
         "a",
         2, false, "\xD6"},
        {"\x81\x40"
         "a@a",
         "@a", 1, false,
         "\x81\x40"
         "a"},
        {"\x81\x41", "a", 1, true, ""}, // a trail byte is no letter to fold
    };
    for (const BeforeCase& c : cases)
        EXPECT_GBK_EQ(c.expected, TextBefore(c.text, c.marker, c.start, c.ignoreCase))
            << Describe(c.text) << " marker " << Describe(c.marker) << " start " << c.start;
}

struct AfterCase {
    std::string text;
    std::string marker;
    std::optional<long long> start;
    bool ignoreCase;
    std::string expected;
};

TEST(TextCutTest, TextAfter) {
    const AfterCase cases[] = {
        {"key=value", "=", std::nullopt, false, "value"},
        {"a=b=c", "=", std::nullopt, false, "c"}, // the last occurrence wins
        {"key=value", ":", std::nullopt, false, ""},
        {"a=b=c", "=", 4, false, "b=c"}, // only the first start - 1 bytes are searched
        {"a=b=c", "=", 2, false, ""},
        {"a=b=c", "=", 1, false, ""},
        {"a=b=c", "=", -1, false, ""},
        {"a=b=c", "=", 1LL << 40, false, "c"},
        {"aaab", "aa", std::nullopt, false, "b"}, // overlapping matches: the last one counts
        {"abc", "", std::nullopt, false, "abc"},
        {"", "", std::nullopt, false, ""},
        {"A=B", "a=", std::nullopt, true, "B"},
        {G("中a"),
         "\xD0"
         "a",
         std::nullopt, false, ""},
    };
    for (const AfterCase& c : cases)
        EXPECT_GBK_EQ(c.expected, TextAfter(c.text, c.marker, c.start, c.ignoreCase))
            << Describe(c.text) << " marker " << Describe(c.marker);
}

struct BetweenCase {
    std::string text;
    std::string startMarker;
    std::string endMarker;
    long long start;
    bool ignoreCase;
    std::string expected;
};

TEST(TextCutTest, TextBetween) {
    const BetweenCase cases[] = {
        {"x[12]y", "[", "]", 0, false, "12"},
        {"x]12[y", "[", "]", 0, false, ""}, // the end marker only before the start marker
        {"aXa", "a", "a", 0, false, "X"},
        {"[1][2]", "[", "]", 2, false, "2"},
        {"[1][2]", "[", "]", 99, false, ""},
        {"[]", "[", "]", 0, false, ""},
        {"<A HREF=x>", "href=", ">", 0, true, "x"},
        {"<A HREF=x>", "href=", ">", 0, false, ""},
        {"<a id=\"7\">", G("id=#引号"), G("#引号"), 0, false, "7"},
        {"abc", "", "c", 2, false, "ab"}, // an empty start marker is found at 1
        {"abc", "a", "", 0, false, ""},
        {G("价格：12元"), G("价格："), G("元"), 0, false, "12"},
    };
    for (const BetweenCase& c : cases)
        EXPECT_GBK_EQ(c.expected, TextBetween(c.text, c.startMarker, c.endMarker, c.start, c.ignoreCase))
            << Describe(c.text) << " between " << Describe(c.startMarker) << " and " << Describe(c.endMarker);
}

TEST(TextCutTest, PeriodicMarkersOnLongTexts) {
    // Long runs of near-matches: found where they are, in one pass.
    std::string text(200000, 'a');
    std::string marker(5000, 'a');
    marker.back() = 'b';
    EXPECT_EQ("", TextBefore(text, marker));
    text += "b!";
    EXPECT_EQ(text.size() - 2 - 4999, TextBefore(text, marker).size());
    EXPECT_EQ("!", TextAfter(text, marker));
}

} // namespace
} // namespace sw
