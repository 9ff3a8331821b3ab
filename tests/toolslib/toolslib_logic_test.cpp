#include "tests/support/gbk_assert.h"
#include "toolslib/column_letters.h"
#include "toolslib/item_search_address.h"
#include "toolslib/search_suggestions.h"
#include "toolslib/split_characters.h"

#include <gtest/gtest.h>

#include <climits>

namespace sw {
namespace {

using test::G;

TEST(ToolslibLogicTest, ColumnLetters) {
    const std::pair<std::int32_t, std::string> cases[] = {
        {1, "A"},     {2, "B"},       {26, "Z"}, {27, "AA"}, {52, "AZ"},    {53, "BA"},           {702, "ZZ"},
        {703, "AAA"}, {16384, "XFD"}, {0, ""},   {-5, ""},   {INT_MIN, ""}, {INT_MAX, "FXSHRXW"},
    };
    for (const auto& [column, letters] : cases)
        EXPECT_EQ(letters, ColumnLetters(column)) << column;
}

TEST(ToolslibLogicTest, SplitCharacters) {
    auto split = [](std::string_view text) {
        std::vector<std::string> out;
        for (std::string_view c : SplitCharacters(text))
            out.emplace_back(c);
        return out;
    };
    EXPECT_EQ((std::vector<std::string>{G("中"), "a", "\r\n", "b"}), split(G("中a\r\nb")));
    EXPECT_EQ((std::vector<std::string>{"\x80", "a"}), split("\x80"
                                                             "a"));     // 0x80 is one byte
    EXPECT_EQ((std::vector<std::string>{"a", "\xD6"}), split("a\xD6")); // a lead byte at the end
    EXPECT_EQ((std::vector<std::string>{"\r", "\r\n", "\n"}), split("\r\r\n\n"));
    EXPECT_TRUE(split("").empty());
}

struct ItemSearchCase {
    std::string keyword;
    int sort;
    int page;
    std::string pageAddress; // empty: no address
    std::string dataAddress;
};

TEST(ToolslibLogicTest, ItemSearchAddresses) {
    const std::string pageHead = "https://H/search?q=";
    const std::string pageMiddle =
        "&imgfile=&commend=all&ssid=s5-e&search_type=item&sourceId=tb.index&spm=a21bo.2017.201856-taobao-item.1&ie="
        "utf8&initiative_id=tbindexz_20170306&fs=1&sort=";
    const std::string dataHead = "https://H/search?data-key=s&data-value=0&ajax=true&callback=jsonp1178&q=";
    const std::string dataMiddle = "&cd=false&bcoffset=4&ntoffset=4&p4ppushleft=%2C44&sort=";
    const ItemSearchCase cases[] = {
        {G("中"), 3, 2, pageHead + "%E4%B8%AD" + pageMiddle + "sale-desc&s=88",
         dataHead + "%D6%D0" + dataMiddle + "sale-desc&s=88"},
        {"a b", 0, 0, pageHead + "a%20b" + pageMiddle + "default&s=0", dataHead + "a%20b" + dataMiddle + "default&s=0"},
        {"a b", 1, 0, pageHead + "a%20b" + pageMiddle + "default&s=0", dataHead + "a%20b" + dataMiddle + "default&s=0"},
        {"", 2, 1, pageHead + pageMiddle + "renqi-desc&s=44", dataHead + dataMiddle + "renqi-desc&s=44"},
        {"x", 4, -1, pageHead + "x" + pageMiddle + "credit-desc&s=-44",
         dataHead + "x" + dataMiddle + "credit-desc&s=-44"},
        {"x", 4, INT_MAX, pageHead + "x" + pageMiddle + "credit-desc&s=94489280468",
         dataHead + "x" + dataMiddle + "credit-desc&s=94489280468"},
        {"x", 5, 0, "", ""},
        {"x", -1, 0, "", ""},
    };
    for (const ItemSearchCase& c : cases) {
        EXPECT_EQ(c.pageAddress, BuildItemSearchAddress("H", c.keyword, c.sort, c.page, false).value_or(""));
        EXPECT_EQ(c.dataAddress, BuildItemSearchAddress("H", c.keyword, c.sort, c.page, true).value_or(""));
    }
}

TEST(ToolslibLogicTest, SuggestionAddressEncodesEveryByte) {
    const std::string tail = "&_ksTS=1527670724999_3760&callback=&k=1&area=c2c&bucketid=20";
    EXPECT_EQ("https://S/sug?code=utf-8&q=%61%62" + tail, SuggestionAddress("S", "ab"));
    EXPECT_EQ("https://S/sug?code=utf-8&q=%E4%B8%AD" + tail, SuggestionAddress("S", G("中")));
    EXPECT_EQ("https://S/sug?code=utf-8&q=%20" + tail, SuggestionAddress("S", " "));
    EXPECT_EQ("https://S/sug?code=utf-8&q=" + tail, SuggestionAddress("S", ""));
}

} // namespace
} // namespace sw
