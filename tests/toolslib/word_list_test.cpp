#include "toolslib/word_list.h"

#include "tests/support/gbk_assert.h"
#include "tests/support/temp_folder.h"
#include "text/file_bytes.h"

#include <gtest/gtest.h>

#include <optional>

namespace sw {
namespace {

using test::G;

TEST(WordListTest, LinesEndWithCrLfOnly) {
    const std::pair<std::string, size_t> cases[] = {
        {"", 1},                         // an empty list is one empty line
        {"a", 1},          {"a\r\n", 1}, // text after the last CR LF is a line only when not empty
        {"a\r\nb", 2},     {"\r\n", 1},  {"\r\n\r\n", 2}, {"a\r\n\r\nb\r\n", 3},
        {"a\nb\nc", 1}, // bare LF is no line end
        {"a\r\r\nb\r", 2},
    };
    for (const auto& [bytes, lines] : cases)
        EXPECT_EQ(lines, WordList(bytes).LineCount()) << test::Describe(bytes);
    // Line ends at every offset of a longer list, with lone CRs and LFs between them.
    std::string many;
    for (int line = 0; line < 100; ++line)
        many.append(std::string(static_cast<size_t>(line % 7), line % 3 == 0 ? '\r' : '\n')).append("\r\n");
    EXPECT_EQ(100, WordList(many).LineCount());
    EXPECT_EQ(101, WordList(many + "\r").LineCount());
    EXPECT_GBK_EQ(G("当前词库共：1 行数据。"), RowCountText(1));
    EXPECT_GBK_EQ(G("当前词库共：1000000 行数据。"), RowCountText(1000000));
}

TEST(WordListTest, ContainsAWholeLineOnly) {
    struct Case {
        std::string list;
        std::string word;
        bool found;
    };
    const Case cases[] = {
        {G("中国\r\n白菜"), G("白菜"), true},
        {G("中国\r\n白菜"), G("中"), false},
        {G("白菜 \r\n"), G("白菜"), false}, // spaces count
        {G("白菜\r\n"), G("白菜 "), false},
        {"Ab\r\n", "ab", false},          // so does case
        {"xab\r\nabx\r\nab", "ab", true}, // the last line, without CR LF
        {"a\nab\r\n", "ab", false},       // bare LF joins lines
        {"a\r\r\n", "a", false},          // the line is "a\r"
        {"a\r\r\n", "a\r", true},
        {"a\r\nb", "a\r\nb", false}, // never across lines
        {"a\r\n\r\nb", "", true},    // the empty line
        {"a\r\nb\r\n", "", false},   // an empty tail is no line
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.found, WordList(c.list).Contains(c.word))
            << test::Describe(c.list) << " " << test::Describe(c.word);
}

struct EditCase {
    const char* name;
    std::string list;
    std::string word;
    std::optional<std::string> after; // nullopt: nothing changes
};

TEST(WordListTest, AddPlacesTheWordByFirstCharacterThenPinyinInitial) {
    const EditCase cases[] = {
        {"before the first line of the same first character", "ab\r\nac\r\nb\r\n", "ad", "ad\r\nab\r\nac\r\nb\r\n"},
        {"a same character wins over an earlier same initial", G("张三\r\n中国\r\n中文\r\n"), G("中心"),
         G("张三\r\n中心\r\n中国\r\n中文\r\n")},
        {"else before the last line of the same initial", G("白菜\r\n中国\r\n张三\r\n小米\r\n"), G("周末"),
         G("白菜\r\n中国\r\n周末\r\n张三\r\n小米\r\n")},
        {"z is not zh", G("中国\r\n子女\r\n"), G("字典"), G("中国\r\n字典\r\n子女\r\n")},
        {"empty initials are the same", G("ab\r\n1x\r\n中国\r\n"), "xyz", G("ab\r\nxyz\r\n1x\r\n中国\r\n")},
        {"a hanzi without initial goes with letters", G("中国\r\n安全\r\n"), "ok", G("中国\r\nok\r\n安全\r\n")},
        {"empty lines are passed over", "\r\n\r\nab\r\n", "ad", "\r\n\r\nad\r\nab\r\n"},
        {"before a last line without CR LF", "x\r\nab", "ad", "x\r\nad\r\nab"},
        {"no match appends", G("中国\r\n"), G("白菜"), G("中国\r\n白菜\r\n")},
        {"appends after a CR LF", G("中国"), G("白菜"), G("中国\r\n白菜\r\n")},
        {"an empty line matches nothing", G("\r\n中国\r\n"), "ab", G("\r\n中国\r\nab\r\n")},
        {"into an empty list", "", G("白菜"), G("白菜\r\n")},
        {"a word that exists", G("ab\r\nac\r\n白菜"), "ac", std::nullopt},
        {"a one-character word", "ab\r\n", "a", "a\r\nab\r\n"},
    };
    for (const EditCase& c : cases) {
        WordList list(c.list);
        const std::optional<WordListEdit> edit = list.Add(c.word);
        EXPECT_EQ(c.after.has_value(), edit.has_value()) << c.name;
        EXPECT_GBK_EQ(c.after.value_or(c.list), list.Bytes()) << c.name;
        if (edit) {
            list.Undo(*edit);
            EXPECT_GBK_EQ(c.list, list.Bytes()) << c.name;
        }
    }
}

TEST(WordListTest, RemoveTakesTheMatchedLineOnly) {
    const EditCase cases[] = {
        {"spaces elsewhere stay", G("a b\r\nc\r\nd　e"), "c", G("a b\r\nd　e")},
        {"a last line loses its text only", "a\r\nd", "d", "a\r\n"},
        {"the exact line, not a longer one", "abc\r\nab", "ab", "abc\r\n"},
        {"the first of two equal lines", "ab\r\nx\r\nab\r\n", "ab", "x\r\nab\r\n"},
        {"the only line", "ab", "ab", ""},
        {"a line with a trailing space is another line", "ab \r\n", "ab", std::nullopt},
        {"part of a line is no line", "xab\r\n", "ab", std::nullopt},
    };
    for (const EditCase& c : cases) {
        WordList list(c.list);
        const std::optional<WordListEdit> edit = list.Remove(c.word);
        EXPECT_EQ(c.after.has_value(), edit.has_value()) << c.name;
        EXPECT_GBK_EQ(c.after.value_or(c.list), list.Bytes()) << c.name;
        if (edit) {
            list.Undo(*edit);
            EXPECT_GBK_EQ(c.list, list.Bytes()) << c.name;
        }
    }
}

TEST(WordListTest, LoadAndSaveWholeFiles) {
    test::TempFolder folder;
    const std::filesystem::path file = folder / "googledict.txt";

    WordList list("old");
    EXPECT_FALSE(list.Load(file)); // missing: the list stays
    EXPECT_EQ("old", list.Bytes());

    test::WriteFileBytes(file, std::string("a\r\n\0b", 5));
    ASSERT_TRUE(list.Load(file));
    EXPECT_EQ(std::string("a\r\n\0b", 5), list.Bytes());

    list.Add(G("白菜"));
    ASSERT_TRUE(list.Save(file));
    EXPECT_EQ(list.Bytes(), test::ReadFileBytes(file));
    // Nothing but the word file is left behind.
    EXPECT_EQ(1, std::distance(std::filesystem::directory_iterator(folder.Path()), {}));

    test::WriteFileBytes(file, "");
    ASSERT_TRUE(list.Load(file));
    EXPECT_EQ("", list.Bytes());
}

TEST(WordListTest, SaveIntoAnUnwritableFolderFailsAndKeepsTheFile) {
    test::TempFolder folder;
    test::WriteFileBytes(folder / "plain", "x");
    // A folder below a regular file cannot be written, not even by root.
    EXPECT_FALSE(WordList("ab").Save(folder / "plain" / "googledict.txt"));
    EXPECT_FALSE(ReplaceFile(folder.Path(), "ab")); // a folder is no file
    EXPECT_EQ("x", test::ReadFileBytes(folder / "plain"));
    std::string bytes;
    EXPECT_FALSE(ReadWholeFile(folder.Path(), bytes));
}

} // namespace
} // namespace sw
