#include "text/code_page.h"

#include "tests/support/gbk_assert.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>

namespace sw {
namespace {

using test::Describe;

std::u16string Units(std::initializer_list<char16_t> units) {
    return std::u16string(units);
}

std::string Hex(std::u16string_view units) {
    std::string out;
    char buffer[8];
    for (char16_t u : units) {
        std::snprintf(buffer, sizeof buffer, "%04X ", static_cast<unsigned>(u));
        out += buffer;
    }
    return out;
}

struct DecodeCase {
    std::string gbk;
    std::u16string units;
};

TEST(CodePageTest, DecodesCodePage936AsWindowsDoes) {
    const DecodeCase cases[] = {
        {"\xBF\xB4", Units({0x770B})},
        {"\xBF\xB4\xC7", Units({0x770B, '?'})},        // lead byte at the very end
        {std::string("\xC7\x00", 2), Units({'?', 0})}, // the zero after a lead byte is kept
        {"\x81\x20", Units({'?'})},                    // not a trail byte: one "?" for the pair
        {"\x81\x7F"
         "a",
         Units({'?', 'a'})},
        {"\x80", Units({0x20AC})},
        {"\xFF", Units({0xF8F5})},
        {"\xAA\xA1", Units({0xE000})}, // user-defined areas
        {"\xFE\xFE", Units({0xE4C5})},
        {"\xA1\x40", Units({0xE4C6})},
        {"\xA2\xE3", Units({0xE76C})},
        {"\xA8\xBF", Units({0xE7C8})},
        {"\xD7\xFE", Units({0xE814})},
        {"\xA1\xA4\xA1\xAA", Units({0x00B7, 0x2014})},
        {"a\xD6\xD0"
         "b",
         Units({'a', 0x4E2D, 'b'})},
        {"", Units({})},
    };
    for (const DecodeCase& c : cases) {
        EXPECT_EQ(Hex(c.units), Hex(GbkToUtf16Units(c.gbk))) << Describe(c.gbk);
        std::string bytes = GbkToUtf16(c.gbk, true);
        EXPECT_EQ(Hex(c.units), Hex(std::u16string(reinterpret_cast<const char16_t*>(bytes.data()), bytes.size() / 2)));
    }
}

struct EncodeCase {
    std::u16string units;
    std::string gbk;
};

TEST(CodePageTest, EncodesToCodePage936AsWindowsDoes) {
    const EncodeCase cases[] = {
        {Units({0xAC00}), "?"}, // Hangul is not in 936
        {Units({0x20AC}), "\x80"},
        {Units({0xF8F5}), "\xFF"},
        {Units({0xE000}), "\xAA\xA1"},
        {Units({0xE4C6}), "\xA1\x40"},
        {Units({0x00B7}), "\xA1\xA4"},
        {Units({0xD83D, 0xDE00}), "??"},            // outside the BMP: one "?" per unit
        {Units({0xDC00, 'a'}), "?a"},               // a lone surrogate
        {Units({'e', 0x0301}), "\xA8\xA6"},         // composed: é
        {Units({'u', 0x0308, 0x0304}), "\xA8\xB5"}, // ü then ǖ
        {Units({'x', 0x0301}), "x?"},               // no precomposed form in 936
        {Units({0x0301}), "?"},
    };
    for (const EncodeCase& c : cases) {
        std::string bytes;
        for (char16_t u : c.units) {
            bytes.push_back(static_cast<char>(u & 0xFF));
            bytes.push_back(static_cast<char>(u >> 8));
        }
        EXPECT_GBK_EQ(c.gbk, Utf16ToGbk(bytes)) << Hex(c.units);
    }
    // The unit form used by the window adapters does not compose.
    EXPECT_GBK_EQ("e?", Utf16UnitsToGbk(Units({'e', 0x0301})));
}

TEST(CodePageTest, EveryTwoByteCodeRoundTripsThroughUtf8AndUtf16) {
    std::set<char16_t> seen;
    int codes = 0;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail == 0x7F)
                continue;
            std::string gbk{static_cast<char>(lead), static_cast<char>(trail)};
            std::string utf8 = GbkToUtf8(gbk);
            ASSERT_GBK_EQ(gbk, Utf8ToGbk(utf8));
            ASSERT_GBK_EQ(gbk, Utf16ToGbk(GbkToUtf16(gbk)));
            std::u16string units = GbkToUtf16Units(gbk);
            ASSERT_EQ(1u, units.size()) << Describe(gbk);
            EXPECT_TRUE(seen.insert(units[0]).second) << "two codes decode to " << Hex(units);
            ++codes;
        }
    }
    EXPECT_EQ(23940, codes);
    for (std::string single : {"\x80", "\xFF", "A"})
        EXPECT_GBK_EQ(single, Utf8ToGbk(GbkToUtf8(single)));
}

TEST(CodePageTest, DecodesInvalidUtf8ToQuestionMarks) {
    const std::pair<std::string, std::string> cases[] = {
        {"\xE4\xB8\xAD", "\xD6\xD0"},
        {"\xE4\xB8", "?"}, // truncated at the end
        {"\xE4\xB8"
         "a",
         "?a"},
        {"\xC0\xAF", "??"},           // overlong
        {"\xED\xA0\x80", "???"},      // an encoded surrogate
        {"\xF0\x9F\x98\x80", "??"},   // outside the BMP
        {"\xF4\x90\x80\x80", "????"}, // beyond U+10FFFF
        {"\xFF\xFE", "??"},
        {"\x80"
         "a",
         "?a"},
        {"\xE2\x82\xAC", "\x80"}, // the euro sign
    };
    for (const auto& [utf8, gbk] : cases)
        EXPECT_GBK_EQ(gbk, Utf8ToGbk(utf8)) << "from UTF-8 " << Describe(utf8);
}

TEST(CodePageTest, EveryPrefixOfMixedTextConvertsWithinBounds) {
    // Cutting anywhere leaves at most a truncated last character; it becomes "?".
    std::string gbk = test::G("中文abc€\u00b7字");
    for (size_t n = 0; n <= gbk.size(); ++n) {
        std::string prefix = gbk.substr(0, n);
        std::string back = Utf8ToGbk(GbkToUtf8(prefix));
        if (back != prefix) {
            EXPECT_GBK_EQ(prefix.substr(0, n - 1) + "?", back);
        }
    }
}

TEST(CodePageTest, CodePageArgumentsAndTerminators) {
    // TextToUtf16 reads UTF-8 unless told otherwise; the zero unit is included.
    EXPECT_EQ(std::string("\x2D\x4E\x00\x00", 4), TextToUtf16("\xE4\xB8\xAD"));
    EXPECT_EQ(std::string("\x2D\x4E\x00\x00", 4), TextToUtf16("\xD6\xD0", kCodePageGbk));
    EXPECT_EQ(std::string("\xE9\x00\x00\x00", 4), TextToUtf16("\xE9", 1252));
    // Utf16ToText writes the ANSI code page (936) unless told otherwise and stops at a zero unit.
    EXPECT_GBK_EQ("\xD6\xD0", Utf16ToText(std::string("\x2D\x4E\x00\x00\x41\x00", 6)));
    EXPECT_EQ("\xE4\xB8\xAD", Utf16ToText(std::string("\x2D\x4E", 2), kCodePageUtf8));
    EXPECT_EQ("caf\xE9?", Utf16ToText(std::string("c\0a\0f\0\xE9\0\x2D\x4E", 10), 1252));
    // A code page nobody knows converts nothing.
    EXPECT_EQ("", TextToUtf16("abc", 12345));
    EXPECT_EQ("", Utf16ToText(std::string("a\0", 2), 12345));
    // GbkToUtf16 with and without its zero unit; Utf16ToGbk ignores an odd last byte.
    EXPECT_EQ(std::string("a\0\0\0", 4), GbkToUtf16("a"));
    EXPECT_EQ(std::string("a\0", 2), GbkToUtf16("a", true));
    EXPECT_EQ("ab", Utf16ToGbk(std::string("a\0b\0c", 5)));
    EXPECT_EQ("a", Utf16ToGbk(std::string("a\0\0\0b\0", 6)));
}

TEST(CodePageTest, EmptyInGivesEmptyOut) {
    EXPECT_EQ("", GbkToUtf8(""));
    EXPECT_EQ("", Utf8ToGbk(""));
    EXPECT_EQ("", TextToUtf16(""));
    EXPECT_EQ("", Utf16ToText(""));
    EXPECT_EQ("", GbkToUtf16(""));
    EXPECT_EQ("", GbkToUtf16("", true));
    EXPECT_EQ("", Utf16ToGbk(""));
}

} // namespace
} // namespace sw
