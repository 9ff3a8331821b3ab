#include "tests/support/gbk_assert.h"
#include "toolslib/pinyin_initial.h"

#include <gtest/gtest.h>

namespace sw {
namespace {

using test::G;

TEST(PinyinInitialTest, InitialOfTheFirstReading) {
    const std::pair<const char*, const char*> cases[] = {
        {"中", "zh"}, {"吃", "ch"}, {"是", "sh"}, {"白", "b"}, {"怕", "p"},  {"马", "m"}, {"飞", "f"}, {"大", "d"},
        {"天", "t"},  {"女", "n"},  {"绿", "l"},  {"高", "g"}, {"可", "k"},  {"好", "h"}, {"家", "j"}, {"去", "q"},
        {"小", "x"},  {"日", "r"},  {"子", "z"},  {"词", "c"}, {"四", "s"},  {"鱼", "y"}, {"我", "w"}, {"啊", ""},
        {"安", ""},   {"饿", ""},   {"欧", ""},   {"嗯", "n"}, {"齄", "zh"}, // the last hanzi of the table, F7FE
    };
    for (const auto& [hanzi, initial] : cases)
        EXPECT_EQ(initial, PinyinInitial(G(hanzi))) << hanzi;
}

TEST(PinyinInitialTest, EmptyForEverythingButAGb2312Hanzi) {
    const std::string cases[] = {
        "a",        "Z",        "1",     "",
        G("中国"),  G("Ａ"),    G("，"), "\xB0", // two characters, full-width, punctuation, a lone lead byte
        "\x81\x40",                              // a GBK hanzi outside GB2312
        "\xD7\xFA",                              // inside the hanzi rows but no character
        "\xB0\xA0", "\xF8\xA1",                  // just outside the rows
    };
    for (const std::string& character : cases)
        EXPECT_EQ("", PinyinInitial(character)) << test::Describe(character);
}

} // namespace
} // namespace sw
