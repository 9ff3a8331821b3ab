#include "text/ini_file.h"

#include "tests/support/gbk_assert.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

namespace sw {
namespace {

using test::G;

struct ReadCase {
    const char* name;
    std::string file;
    std::string section;
    std::string key;
    std::string expected; // "<default>" when the default must come back
    size_t bufferSize = kProfileBufferSize;
};

constexpr const char* kDefault = "<default>";

// A failing case is named by its label rather than dumped as raw bytes.
void PrintTo(const ReadCase& c, std::ostream* os) {
    *os << c.name;
}

std::vector<ReadCase> ReadCases() {
    const std::string longValue = std::string(kProfileBufferSize - 2, 'x') + G("中"); // one byte over the buffer
    return {
        {"NamesIgnoreLetterCase", "[section1]\r\nname1=val1\r\n", "section1", "NaMe1", "val1"},
        {"SectionIgnoresLetterCase", "[SeCtIoN]\r\nk=v\r\n", "section", "K", "v"},
        {"BlanksAroundKeyAndValue", "[s]\r\n \tk \t=  v  \t\r\n", "s", "k", "v"},
        {"VerticalTabIsBlank", "[s]\r\n\vk\v=\vv\v\r\n", "s", "k", "v"},
        {"BlanksAroundSectionName", "[ \ts\v ]\r\nk=v\r\n", "s", "k", "v"},
        {"DoubleQuotesKeepInnerBlanks", "[s]\r\nk=  \"  v  \"  \r\n", "s", "k", "  v  "},
        {"SingleQuotes", "[s]\r\nk='v'\r\n", "s", "k", "v"},
        {"UnmatchedQuotesStay", "[s]\r\nk=\"v'\r\n", "s", "k", "\"v'"},
        {"LoneQuoteStays", "[s]\r\nk=\"\r\n", "s", "k", "\""},
        {"EmptyQuotes", "[s]\r\nk=\"\"\r\n", "s", "k", ""},
        {"EmptyValue", "[s]\r\nk=\r\n", "s", "k", ""},
        {"FirstOfTwoKeysWins", "[s]\r\nk=1\r\nk=2\r\n", "s", "k", "1"},
        {"CommentLine", "[s]\r\n;k=v\r\n", "s", "k", kDefault},
        {"IndentedCommentLine", "[s]\r\n  ;k=v\r\n", "s", "k", kDefault},
        {"NoInlineComment", "[s]\r\nk=v ;c\r\n", "s", "k", "v ;c"},
        {"SplitAtFirstEquals", "[s]\r\nk=a=b]\r\n", "s", "k", "a=b]"},
        {"SectionEndsAtFirstBracket", "[sec]junk]\r\nk=v\r\n", "sec", "k", "v"},
        {"MissingBracketTolerated", "[sec\r\nk=v\r\n", "sec", "k", "v"},
        {"LineWithoutEqualsIsNoKey", "[s]\r\nk\r\nk=v\r\n", "s", "k", "v"},
        {"LinesBeforeFirstSectionUnreadable", "k=v\r\n[s]\r\nother=1\r\n", "s", "k", kDefault},
        {"OnlyFirstBlockOfRepeatedSection", "[s]\r\na=1\r\n[t]\r\n[s]\r\nb=2\r\n", "s", "b", kDefault},
        {"FirstBlockStillRead", "[s]\r\na=1\r\n[t]\r\n[s]\r\na=2\r\n", "s", "a", "1"},
        {"KeyOfOtherSectionNotSeen", "[s]\r\n[t]\r\nk=v\r\n", "s", "k", kDefault},
        {"LfLineEnds", "[s]\nk=v\nz=w\n", "s", "z", "w"},
        {"CrLineEnds", "[s]\rk=v\rz=w\r", "s", "z", "w"},
        {"MixedLineEndsAndNoFinalEnd", "[s]\nk=v\r\nz=w", "s", "z", "w"},
        {"BomSticksToFirstLine", "\xEF\xBB\xBF[s]\r\nk=v", "s", "k", kDefault},
        {"MissingSection", "[s]\r\nk=v\r\n", "t", "k", kDefault},
        {"MissingKey", "[s]\r\nk=v\r\n", "s", "kk", kDefault},
        {"EmptyDocument", "", "s", "k", kDefault},
        {"GbkNames", G("[编辑框]\r\nKEY=旧值\r\n"), G("编辑框"), "key", G("旧值")},
        // 丄 is 81 41 and 乤 is 81 61: the trail bytes differ only in ASCII letter case.
        {"TrailByteNotFolded", G("[丄]\r\nk=v\r\n"), G("乤"), "k", kDefault},
        {"TrailByteNotFoldedInKey", G("[s]\r\n丄=v\r\n"), "s", G("乤"), kDefault},
        // The trail byte of 癩 is "]", which must not end the section name.
        {"BracketTrailByteInSectionName", G("[癩x]\r\nk=v\r\n"), G("癩X"), "k", "v"},
        {"CutToBufferSize", "[s]\r\nk=abcdef\r\n", "s", "k", "abc", 4},
        {"CutAfterQuotesRemoved", "[s]\r\nk=\"abcd\"\r\n", "s", "k", "ab", 3},
        {"CutNeverSplitsCharacter", G("[s]\r\nk=a中文\r\n"), "s", "k", "a", 3},
        {"CutKeepsWholeCharacter", G("[s]\r\nk=a中文\r\n"), "s", "k", G("a中"), 4},
        {"BufferOfOneByte", "[s]\r\nk=v\r\n", "s", "k", "", 1},
        {"FullBufferValueWhole", "[s]\r\nk=" + std::string(kProfileBufferSize - 1, 'y'), "s", "k",
         std::string(kProfileBufferSize - 1, 'y')},
        {"LongValueCutBeforeCharacter", "[s]\r\nk=" + longValue + "\r\n", "s", "k",
         std::string(kProfileBufferSize - 2, 'x')},
    };
}

class IniReadTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(IniReadTest, ReadsValue) {
    const ReadCase& c = GetParam();
    const IniFile file(c.file);
    EXPECT_GBK_EQ(c.expected, file.Read(c.section, c.key, kDefault, c.bufferSize));
}

INSTANTIATE_TEST_SUITE_P(Cases, IniReadTest, ::testing::ValuesIn(ReadCases()),
                         [](const auto& testCase) { return std::string(testCase.param.name); });

TEST(IniFileTest, DefaultComesBackAsGiven) {
    const IniFile file("[s]\r\n");
    EXPECT_GBK_EQ("  d \"q\"  ", file.Read("s", "k", "  d \"q\"  "));
    EXPECT_GBK_EQ("", file.Read("s", "k"));
}

struct WriteCase {
    const char* name;
    std::string file;
    std::string section;
    std::string key;
    std::string value;
    std::string expected;
};

void PrintTo(const WriteCase& c, std::ostream* os) {
    *os << c.name;
}

std::vector<WriteCase> WriteCases() {
    return {
        {"NewDocument", "", "App", "key", "", "[App]\r\nkey=\r\n"},
        {"ExistingKeyKeepsItsCase", "[Section]\r\nKey=old\r\n", "SECTION", "KEY", "new", "[Section]\r\nKey=new\r\n"},
        {"ValueWrittenExactly", "", "s", "k", "  v  ", "[s]\r\nk=  v  \r\n"},
        {"RewriteDropsBlanksKeepsLineEnd", "[s]\n  k \t= old  \n;c\n", "s", "K", "x", "[s]\nk=x\n;c\n"},
        {"RewriteFirstOfTwoKeys", "[s]\rk=1\rk=2\r", "s", "k", "9", "[s]\rk=9\rk=2\r"},
        {"NewKeyAfterLastKeyOfFirstBlock", "[s]\r\na=1\r\n\r\n;note\r\n[t]\r\nb=2\r\n[s]\r\nc=3\r\n", "s", "c", "v",
         "[s]\r\na=1\r\nc=v\r\n\r\n;note\r\n[t]\r\nb=2\r\n[s]\r\nc=3\r\n"},
        {"NewKeyAfterHeaderOfEmptySection", "[s]\r\n;c\r\n[t]\r\n", "s", "k", "v", "[s]\r\nk=v\r\n;c\r\n[t]\r\n"},
        {"NewKeyAfterHeaderWithoutLineEnd", "[s]", "s", "k", "v", "[s]\r\nk=v\r\n"},
        {"NewKeyAfterLastLineWithoutLineEnd", "[s]\r\na=1", "s", "k", "v", "[s]\r\na=1\r\nk=v\r\n"},
        {"NewSectionAfterMissingLineEnd", "[t]\r\nb=2", "s", "k", "v", "[t]\r\nb=2\r\n[s]\r\nk=v\r\n"},
        {"NewSectionAfterLf", "[t]\nb=2\n", "s", "k", "v", "[t]\nb=2\n[s]\r\nk=v\r\n"},
        {"KeysBeforeFirstSectionIgnored", "k=0\r\n", "s", "k", "1", "k=0\r\n[s]\r\nk=1\r\n"},
        {"OtherBytesUntouched", "\xEF\xBB\xBF;top\r\n[s]\r\n a = \"1\" \r\nb=2\n", "S", "B", "3",
         "\xEF\xBB\xBF;top\r\n[s]\r\n a = \"1\" \r\nb=3\n"},
        {"GbkSectionAndValue", G("[编辑框]\r\nKEY=旧\r\n"), G("编辑框"), "key", G("两行"),
         G("[编辑框]\r\nKEY=两行\r\n")},
        {"TrailByteMakesOtherSection", G("[丄]\r\nk=v\r\n"), G("乤"), "k", "w", G("[丄]\r\nk=v\r\n[乤]\r\nk=w\r\n")},
    };
}

class IniWriteTest : public ::testing::TestWithParam<WriteCase> {};

TEST_P(IniWriteTest, WritesInPlace) {
    const WriteCase& c = GetParam();
    IniFile file(c.file);
    file.Write(c.section, c.key, c.value);
    EXPECT_GBK_EQ(c.expected, file.Bytes());
}

INSTANTIATE_TEST_SUITE_P(Cases, IniWriteTest, ::testing::ValuesIn(WriteCases()),
                         [](const auto& testCase) { return std::string(testCase.param.name); });

std::vector<std::string> FolderEntries(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    return names;
}

TEST(ProfileFileTest, WriteCreatesThenUpdatesFile) {
    test::TempFolder folder;
    const auto path = folder / "settings.ini";
    ASSERT_TRUE(WriteProfileString(path, "App", "key", "1"));
    EXPECT_GBK_EQ("[App]\r\nkey=1\r\n", test::ReadFileBytes(path));
    ASSERT_TRUE(WriteProfileString(path, G("编辑框"), "page1", G("两行")));
    ASSERT_TRUE(WriteProfileString(path, "app", "KEY", "2"));
    EXPECT_GBK_EQ(G("[App]\r\nkey=2\r\n[编辑框]\r\npage1=两行\r\n"), test::ReadFileBytes(path));
    EXPECT_GBK_EQ(G("两行"), ReadProfileString(path, G("编辑框"), "PAGE1"));
    // The temporary file is gone once it has replaced the target.
    EXPECT_EQ(std::vector<std::string>{"settings.ini"}, FolderEntries(folder.Path()));
}

TEST(ProfileFileTest, ReplacedFileKeepsItsPermissions) {
    test::TempFolder folder;
    const auto path = folder / "settings.ini";
    test::WriteFileBytes(path, "[s]\r\nk=1\r\n");
    ASSERT_EQ(0, ::chmod(path.c_str(), 0640));
    ASSERT_TRUE(WriteProfileString(path, "s", "k", "2"));
    struct stat info {};
    ASSERT_EQ(0, ::stat(path.c_str(), &info));
    EXPECT_EQ(0640u, info.st_mode & 07777u);
}

TEST(ProfileFileTest, ReadOfMissingFileGivesDefault) {
    test::TempFolder folder;
    EXPECT_GBK_EQ("d", ReadProfileString(folder / "none.ini", "s", "k", "d"));
    IniFile file("stale");
    EXPECT_FALSE(file.Load(folder / "none.ini"));
    EXPECT_GBK_EQ("", file.Bytes());
}

TEST(ProfileFileTest, WriteFailsWithoutUsableFolder) {
    test::TempFolder folder;
    test::WriteFileBytes(folder / "plain", "x");
    EXPECT_FALSE(WriteProfileString(folder / "missing" / "a.ini", "s", "k", "v"));
    EXPECT_FALSE(WriteProfileString(folder / "plain" / "a.ini", "s", "k", "v"));
    EXPECT_FALSE(IniFile("[s]\r\n").Save(folder / "missing" / "a.ini"));
}

TEST(ProfileFileTest, WriteLeavesUnreadableTargetAlone) {
    test::TempFolder folder;
    const auto path = folder / "a.ini";
    std::filesystem::create_directory(path);
    test::WriteFileBytes(path / "inside", "x");
    EXPECT_FALSE(WriteProfileString(path, "s", "k", "v"));
    EXPECT_EQ("x", test::ReadFileBytes(path / "inside"));
    EXPECT_EQ((std::vector<std::string>{"a.ini"}), FolderEntries(folder.Path()));
}

} // namespace
} // namespace sw
