#include "text/regex_object.h"

#include "tests/support/gbk_assert.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

namespace sw {
namespace {

using test::Describe;
using test::G;

constexpr bool kIgnoreCase = false;
constexpr bool kMatchCase = true;

std::vector<std::string> AllMatches(const RegexObject& regex) {
    std::vector<std::string> texts;
    for (int i = 1; i <= regex.MatchCount(); ++i)
        texts.push_back(regex.MatchText(i));
    return texts;
}

std::string DescribeAll(const std::vector<std::string>& texts) {
    std::string out;
    for (const std::string& text : texts)
        out += Describe(text) + " ";
    return out;
}

const char* const kCharsetPattern = "<meta.+?charset=[^\\w]?([-\\w]+)";
const char* const kCharsetPage = "<html><meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">";

struct SearchCase {
    std::string pattern;
    std::string subject;
    bool caseSensitive;
    bool multiline;
    bool global;
    std::vector<std::string> matches;
};

TEST(RegexObjectTest, FindsTheMatchesOfTheDialect) {
    const SearchCase cases[] = {
        {"a+", " aabaaa", kIgnoreCase, true, true, {"aa", "aaa"}},
        {"a+", " aabaaa", kIgnoreCase, true, false, {"aa"}},
        {"", "test", kIgnoreCase, true, true, {"", "", "", "", ""}},
        {"a*", "baa", kIgnoreCase, true, true, {"", "aa", ""}}, // an empty match may follow a full one
        {"", G("中a"), kIgnoreCase, true, true, {"", "", ""}},  // one character, not one byte, further
        {"Ab", "abcaBc", kIgnoreCase, true, true, {"ab", "aB"}},
        {"A", "a", kIgnoreCase, true, true, {"a"}},
        {"A", "a", kMatchCase, true, true, {}},
        {"a(b)?", "xa", kIgnoreCase, true, true, {"a"}},
        {"z", "abc", kIgnoreCase, true, true, {}},
        {"a+?", "aaa", kIgnoreCase, true, true, {"a", "a", "a"}},
        {G("价(\\d+)"), G("ab价12元"), kIgnoreCase, true, true, {G("价12")}},
        // Lines: "^" and "$" at line feeds only with multiline, "$" otherwise only at the very end.
        {"^b", "a\nb", kIgnoreCase, true, true, {"b"}},
        {"^b", "a\nb", kIgnoreCase, false, true, {}},
        {"a$", "a\n", kIgnoreCase, false, true, {}},
        {"a$", "a\n", kIgnoreCase, true, true, {"a"}},
        {"^", "a\n", kIgnoreCase, true, true, {"", ""}},
        {"a.b", "a\nb a\rb", kIgnoreCase, true, true, {"a\rb"}},
        {"a[^]b", "a\nb", kIgnoreCase, true, true, {"a\nb"}},
        {"[]", "abc", kIgnoreCase, true, true, {}},
        // \w, \d and \b are ASCII; \s is [ \f\n\r\t\v] and \v the vertical tab.
        {"\\w+", G("ab中c_9"), kIgnoreCase, true, true, {"ab", "c_9"}},
        {"\\d+", G("１2３4"), kIgnoreCase, true, true, {"2", "4"}},
        {"\\bx", G("中x"), kIgnoreCase, true, true, {"x"}},
        {"\\s", G("a\t\n\v\f\r b　c"), kIgnoreCase, true, true, {"\t", "\n", "\v", "\f", "\r", " "}},
        {"\\S+", G("a　b c"), kIgnoreCase, true, true, {G("a　b"), "c"}},
        {"[\\s]+", "a \v\tb", kIgnoreCase, true, true, {" \v\t"}},
        {"[\\S]+", "ab c", kIgnoreCase, true, true, {"ab", "c"}},
        {"[^\\S]", "a b", kIgnoreCase, true, true, {" "}},
        {"\\v", "\n\v", kIgnoreCase, true, true, {"\v"}},
        {"[\\v]", "\n\v", kIgnoreCase, true, true, {"\v"}},
        {"\\u4E2D\\x41", G("中A"), kMatchCase, true, true, {G("中A")}},
        {"(a)?\\1b", "b", kIgnoreCase, true, true, {"b"}}, // an unset group matches empty
        {"(?:a)(?=b)", "ab", kIgnoreCase, true, true, {"a"}},
        {"a(?!b)", "abac", kIgnoreCase, true, true, {"a"}},
        {"a{2}", "aaa", kIgnoreCase, true, true, {"aa"}},
        // Read as plain characters, not as PCRE2 syntax.
        {"[\\s-x]+", " -xy", kIgnoreCase, true, true, {" -x"}},
        {"[[:alpha:]]", "a]", kIgnoreCase, true, true, {"a]"}},
        {"a{,2}", "aa{,2}", kIgnoreCase, true, true, {"a{,2}"}},
        {"\\Ab\\z", "Abz", kMatchCase, true, true, {"Abz"}},
        {"[(?<]+", "(?<", kIgnoreCase, true, true, {"(?<"}},
        {"\\(\\?<a\\(\\*", "(?<a(*", kIgnoreCase, true, true, {"(?<a(*"}},
    };
    for (const SearchCase& c : cases) {
        RegexObject regex;
        EXPECT_TRUE(regex.Search(c.pattern, c.subject, c.caseSensitive, c.multiline, c.global)) << c.pattern;
        EXPECT_EQ(c.matches, AllMatches(regex))
            << c.pattern << " on " << Describe(c.subject) << " gave " << DescribeAll(AllMatches(regex));
    }
}

TEST(RegexObjectTest, RefusesWhatTheDialectLacks) {
    const char* const patterns[] = {"(?<a>b)", "(?P<a>b)", "(?'a'b)", "(?<=a)b", "(?<!a)b", "(?i)a", "(?>a)",
                                    "(?#note)a", "(?|a)", "(?R)", "(a)(?1)", "(*FAIL)", "a*+", "a++", "a?+", "a{2}+",
                                    "a*?+", "\\Qa\\E",
                                    // Rejected by PCRE2 as by the dialect.
                                    "(", "a)", "[a", "*a", "a**", "\\"};
    for (const char* pattern : patterns) {
        RegexObject regex;
        EXPECT_FALSE(regex.Search(pattern, "ab")) << pattern;
        EXPECT_EQ("", regex.GetPattern()) << pattern;
    }
}

struct GroupCase {
    std::string pattern;
    std::string subject;
    int match;
    int group;
    std::string text;
};

TEST(RegexObjectTest, GivesGroupTexts) {
    const GroupCase cases[] = {
        {"(a|b)+|(c)", "aa", 1, 1, "a"},
        {"(a|b)+|(c)", "aa", 1, 2, ""},
        {"a(b)?", "xa", 1, 1, ""},
        {"(\\d)+", "123", 1, 1, "3"}, // a repeated group keeps its last iteration
        {"(a)|(b)", "ab", 2, 1, ""},
        {"(a)|(b)", "ab", 2, 2, "b"},
        {G("价(\\d+)"), G("ab价12元"), 1, 1, "12"},
        {kCharsetPattern, kCharsetPage, 1, 1, "utf-8"},
    };
    for (const GroupCase& c : cases) {
        RegexObject regex;
        ASSERT_TRUE(regex.Search(c.pattern, c.subject)) << c.pattern;
        EXPECT_GBK_EQ(c.text, regex.SubMatchText(c.match, c.group)) << c.pattern;
    }
}

TEST(RegexObjectTest, CountsGroupsOfTheFirstMatch) {
    RegexObject regex;
    ASSERT_TRUE(regex.Search("a(b)?", "xa"));
    EXPECT_EQ(1, regex.SubMatchCount());
    ASSERT_TRUE(regex.Search("(z)", "abc"));
    EXPECT_EQ(0, regex.MatchCount());
    EXPECT_EQ(0, regex.SubMatchCount());
    EXPECT_EQ("", regex.MatchText(1));
}

TEST(RegexObjectTest, IndexesOutOfRangeGiveEmptyText) {
    RegexObject regex;
    ASSERT_TRUE(regex.Search("(a)", "a"));
    int position = 7;
    EXPECT_EQ("", regex.MatchText(0, &position));
    EXPECT_EQ(-2, position);
    EXPECT_EQ("", regex.MatchText(2));
    EXPECT_EQ("", regex.MatchText(-1));
    EXPECT_EQ("", regex.SubMatchText(1, 0));
    EXPECT_EQ("", regex.SubMatchText(1, 2));
    EXPECT_EQ("", regex.SubMatchText(2, 1));
    EXPECT_EQ("a", regex.SubMatchText(1, 1));
}

TEST(RegexObjectTest, NewObjectIsEmpty) {
    const RegexObject regex;
    EXPECT_EQ("", regex.GetPattern());
    EXPECT_EQ(0, regex.MatchCount());
    EXPECT_EQ(0, regex.SubMatchCount());
    EXPECT_EQ("", regex.MatchText(1));
    EXPECT_EQ("", regex.Replace("x"));
}

TEST(RegexObjectTest, FailedSearchDropsTheLastResults) {
    RegexObject regex;
    ASSERT_TRUE(regex.Search("b", "abc"));
    EXPECT_EQ("b", regex.GetPattern());
    EXPECT_FALSE(regex.Search("(", "abc"));
    EXPECT_EQ("", regex.GetPattern());
    EXPECT_EQ(0, regex.MatchCount());
    EXPECT_EQ("", regex.Replace("x"));
}

TEST(RegexObjectTest, QuotePlaceholderStandsForADoubleQuote) {
    const std::string pattern = G("href=#引号(.*?)#引号");
    const std::string page = "<a href=\"list.htm\">";
    RegexObject regex;
    ASSERT_TRUE(regex.Search(pattern, page, false, true, true, true));
    EXPECT_EQ("href=\"(.*?)\"", regex.GetPattern());
    EXPECT_EQ("list.htm", regex.SubMatchText(1, 1));

    ASSERT_TRUE(regex.Search(pattern, page));
    EXPECT_GBK_EQ(pattern, regex.GetPattern());
    EXPECT_EQ(0, regex.MatchCount());
}

struct ReplaceCase {
    std::string pattern;
    std::string subject;
    bool global;
    std::string replacement;
    std::string expected;
};

TEST(RegexObjectTest, ReplacesWithTheDialectsSyntax) {
    const ReplaceCase cases[] = {
        {"(\\&(\\d))", "abc &1 123", true, "$'", "abc  123 123"},
        {"(\\&(\\d))", "abc &1 123", true, "$`", "abc abc  123"},
        {"(\\&(\\d))", "abc &1 123", true, "$3", "abc $3 123"},
        {"(\\&(\\d))", "abc &1 123", true, "$11", "abc &11 123"},
        {"(\\&(\\d))", "abc &1 123", true, "%$2", "abc %1 123"},
        {"(\\&(\\d))", "abc &1 123", true, "$01|$0|$00|$x|$$|$", "abc &1|$0|$00|$x|$|$ 123"},
        {"b", "abc", true, "x$&z", "axbzc"},
        {"xxx", "xxxx", true, "y", "yx"},
        {"", "xxx", false, "y", "yxxx"},
        {"", "xxx", true, "y", "yxyxyxy"},
        {"a", "aXa", false, "b", "bXa"},
        {"a", "aXa", true, "b", "bXb"},
        {"z", "abc", true, "y", "abc"},
        {"a(b)?", "xa", true, "[$1]", "x[]"},
        {"(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)", "abcdefghij", true, "$10$9", "ji"},
        {G("价(\\d+)"), G("ab价12元"), true, G("$1块"), G("ab12块元")},
    };
    for (const ReplaceCase& c : cases) {
        RegexObject regex;
        ASSERT_TRUE(regex.Search(c.pattern, c.subject, false, true, c.global)) << c.pattern;
        EXPECT_GBK_EQ(c.expected, regex.Replace(c.replacement)) << c.pattern << " with " << c.replacement;
    }
}

struct PositionCase {
    std::string pattern;
    std::string subject;
    int match;
    int group; // 0 for the whole match
    std::string text;
    int position;
};

TEST(RegexObjectTest, ReportsPositionsByLookingTheTextUpAgain) {
    const PositionCase cases[] = {
        {"a", "ab", 1, 0, "a", 0},
        {"b", "ab", 1, 0, "b", 1},
        {G("价(\\d+)"), G("ab价12元"), 1, 0, G("价12"), 2},
        {G("价(\\d+)"), G("ab价12元"), 1, 1, "12", 4},
        {"x", G("ab中x"), 1, 0, "x", 4},
        // The lookup starts from the UTF-16 index as a 1-based byte position, so it
        // can find an earlier copy ...
        {"a", "aa", 2, 0, "a", 0},
        // ... an empty text at once ...
        {"a(b)?", "xa", 1, 1, "", 0},
        // ... or nothing: when it starts inside a character and steps over the text ...
        {"x", G("中文x"), 1, 0, "x", -2},
        // ... or when the text no longer reads as in the subject.
        {".", "\x81", 1, 0, "?", -2},
    };
    for (const PositionCase& c : cases) {
        RegexObject regex;
        ASSERT_TRUE(regex.Search(c.pattern, c.subject)) << c.pattern;
        int position = 99;
        std::string text =
            c.group == 0 ? regex.MatchText(c.match, &position) : regex.SubMatchText(c.match, c.group, &position);
        EXPECT_GBK_EQ(c.text, text) << c.pattern;
        EXPECT_EQ(c.position, position) << c.pattern << " on " << Describe(c.subject);
    }
}

TEST(RegexObjectTest, CopySharesMatchesAndKeepsItsOwnSubject) {
    RegexObject original;
    ASSERT_TRUE(original.Search("(b+)", "abbc"));
    RegexObject copy(original);
    ASSERT_TRUE(original.Search("x", "xyz"));
    EXPECT_EQ("(b+)", copy.GetPattern());
    int position = 0;
    EXPECT_EQ("bb", copy.SubMatchText(1, 1, &position));
    EXPECT_EQ(1, position);
    EXPECT_EQ("a-c", copy.Replace("-"));

    RegexObject assigned;
    assigned = original;
    EXPECT_EQ("-yz", assigned.Replace("-"));
}

TEST(RegexObjectTest, RunawayPatternEndsQuickly) {
    const std::string subject = std::string(30, 'a') + "b";
    for (const char* pattern : {"(a+)+$", "(a|aa)+$", "(a*)*c"}) {
        RegexObject regex;
        const auto start = std::chrono::steady_clock::now();
        regex.Search(pattern, subject);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1)) << pattern;
        EXPECT_EQ(0, regex.MatchCount()) << pattern;
    }
}

TEST(RegexObjectTest, PatternThatScansFromEveryStartEndsOnALargeSubject) {
    // Each start position runs to the end of the subject before failing; the
    // match limit, which counts per start, cannot stop that.
    std::string subject;
    while (subject.size() < (1 << 20))
        subject += "ab";
    RegexObject regex;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(regex.Search("(a|b)*\\d", subject));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_EQ(0, regex.MatchCount());
}

TEST(RegexObjectTest, SearchesAMegabyteSubject) {
    std::string subject;
    std::string digitsOnly;
    for (int i = 0; subject.size() < (1 << 20); ++i) {
        subject += G("商品") + std::to_string(i % 10) + "\n";
        digitsOnly += std::to_string(i % 10) + "\n";
    }
    const size_t priceAt = subject.size() + G("价格：").size();
    subject += G("价格：123元");
    digitsOnly += G("价格：123元");

    RegexObject regex;
    ASSERT_TRUE(regex.Search(G("价格：(\\d+)"), subject));
    int position = 0;
    EXPECT_EQ("123", regex.SubMatchText(1, 1, &position));
    EXPECT_EQ(static_cast<int>(priceAt), position);

    ASSERT_TRUE(regex.Search(G("^商品(\\d)$"), subject));
    EXPECT_GT(regex.MatchCount(), 100'000);
    EXPECT_EQ("9", regex.SubMatchText(10, 1));
    EXPECT_TRUE(regex.Replace("$1") == digitsOnly);

    // A group repeated once per character of the whole subject.
    ASSERT_TRUE(regex.Search("^(?:.|\\n)*$", subject, false, false));
    EXPECT_EQ(subject.size(), regex.MatchText(1).size());
}

} // namespace
} // namespace sw
