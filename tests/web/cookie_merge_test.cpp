#include "web/cookie_merge.h"

#include "tests/support/gbk_assert.h"

#include <gtest/gtest.h>

namespace sw {
namespace {

struct MergeCase {
    std::string sent;
    std::string received;
    std::string merged;
};

TEST(CookieMergeTest, ReceivedCookiesWinAndDeletedOnesGo) {
    const MergeCase cases[] = {
        {"a=1; b=2", "b=3", "b=3; a=1"},
        {"a=1", "a=deleted", ""},
        {"a=1;a=2", "", "a=1"},          // the second "a" is not appended
        {"x = 1", "", "x=1"},            // spaces go before splitting
        {"d=2", "c=1; c=1", "c=1; d=2"}, // exact duplicates go last
        {"", "", ""},
        {"a=1;", "b=2;", "b=2; a=1"},       // a final separator adds no item
        {"flag; a=1", "flag", "flag; a=1"}, // a bare word is its own name
        {"a=1", "b=deleted; c=3", "c=3; a=1"},
        {test::G("n=值\u3000"), "", test::G("n=值")},
    };
    for (const MergeCase& c : cases) {
        std::string sent = c.sent;
        std::string received = c.received;
        std::string result = MergeCookies(sent, received);
        EXPECT_GBK_EQ(c.merged, result) << "sent " << c.sent << " received " << c.received;
        EXPECT_GBK_EQ(c.merged, sent);
    }
}

TEST(CookieMergeTest, BothVariablesLoseTheirSpaces) {
    std::string sent = "a = 1";
    std::string received = "b = 2";
    MergeCookies(sent, received);
    EXPECT_EQ("b=2", received);
}

TEST(CookieMergeTest, RemoveDuplicateItems) {
    const std::tuple<std::string, std::string, std::string> cases[] = {
        {"a; b; a; c; b", "; ", "a; b; c"},
        {"a,,a,", ",", "a,"}, // empty items count like any other
        {"", ",", ""},
        {"abc", "", "abc"},
    };
    for (const auto& [text, separator, expected] : cases)
        EXPECT_EQ(expected, RemoveDuplicateItems(text, separator)) << text;
}

} // namespace
} // namespace sw
