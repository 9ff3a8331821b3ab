#include "tests/support/gbk_assert.h"
#include "tests/support/temp_folder.h"
#include "text/code_page.h"
#include "toolslib/lexicon_work.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <thread>

namespace sw {
namespace {

using test::G;
using testing::ElementsAre;
using testing::IsEmpty;

// The window as a log, in UTF-8 for readable expectations.
class RecordingView : public LexiconView {
public:
    std::optional<std::string> Keyword(LexiconBox box) override {
        if (gone)
            return std::nullopt;
        return box == LexiconBox::Query ? queryBox : wordBox;
    }
    void SetCaption(LexiconButton button, std::string_view caption) override {
        const char* names[] = {"query", "add", "delete"};
        Log(std::string(names[static_cast<int>(button)]) + " button: " + GbkToUtf8(caption));
    }
    void SetRowCount(std::string_view text) override { Log("rows: " + GbkToUtf8(text)); }
    void SetQueryTime(std::string_view text) override { Log("time: " + GbkToUtf8(text)); }
    void ShowMessage(std::string_view text, std::string_view title, LexiconIcon icon) override {
        const char* icons[] = {"", " (information)", " (error)"};
        Log("[" + GbkToUtf8(title) + "] " + GbkToUtf8(text) + icons[static_cast<int>(icon)]);
    }

    std::string queryBox;
    std::string wordBox;
    bool gone = false; // the window has closed: nothing reaches it
    std::vector<std::string> log;

private:
    void Log(std::string line) {
        if (!gone)
            log.push_back(std::move(line));
    }
};

class LexiconWorkTest : public testing::Test {
protected:
    LexiconWorkTest() {
        book_.folder = Utf8ToGbk(folder_.Path().string());
        wordFile_ = folder_ / "googledict.txt";
    }

    // A list read from its word file, as the window reads it when it opens.
    void Open(std::string_view bytes) {
        test::WriteFileBytes(wordFile_, bytes);
        RunLoad(book_, LexiconTicket(book_), book_.folder);
    }
    void Query(std::string keyword, std::int64_t start = 0, std::int64_t end = 0) {
        view_.queryBox = std::move(keyword);
        std::int64_t now[] = {start, end};
        int calls = 0;
        RunQuery(book_, LexiconTicket(book_), view_.queryBox, view_, [&] { return now[calls++]; });
    }
    void Add(std::string keyword) {
        view_.wordBox = std::move(keyword);
        RunAdd(book_, LexiconTicket(book_), view_.wordBox, view_);
    }
    void Delete(std::string keyword) {
        view_.wordBox = std::move(keyword);
        RunDelete(book_, LexiconTicket(book_), view_.wordBox, view_);
    }
    // A folder below a regular file: nothing can be written there, not even by root.
    std::string UnwritableFolder() {
        test::WriteFileBytes(folder_ / "plain", "x");
        return Utf8ToGbk((folder_ / "plain" / "db").string());
    }

    test::TempFolder folder_;
    std::filesystem::path wordFile_;
    LexiconBook book_;
    RecordingView view_;
};

TEST_F(LexiconWorkTest, QueryWithoutAWordFile) {
    RunLoad(book_, LexiconTicket(book_), book_.folder);
    Query("ab", 1000, 1016);
    EXPECT_THAT(view_.log, ElementsAre("rows: 当前词库共：1 行数据。", "query button: 正在查询..", "query button: 查询",
                                       "time: 耗时：0.016m", "[查询] 关键词：ab 尚未找到。 (error)"));
}

TEST_F(LexiconWorkTest, QueryFindsWholeLines) {
    Open(G("中国\r\nab\r\nlast"));
    const std::pair<std::string, std::string> cases[] = {
        {G("last"), "[查询] 关键词：last 已存在。 (information)"},
        {G("中国"), "[查询] 关键词：中国 已存在。 (information)"},
        {G("ab "), "[查询] 关键词：ab  尚未找到。 (error)"}, // a trailing space counts
        {G("中"), "[查询] 关键词：中 尚未找到。 (error)"},
    };
    for (const auto& [keyword, message] : cases) {
        Query(keyword, 7, 7);
        ASSERT_EQ(5, view_.log.size());
        EXPECT_EQ("rows: 当前词库共：3 行数据。", view_.log[0]);
        EXPECT_EQ("time: 耗时：0m", view_.log[3]);
        EXPECT_EQ(message, view_.log[4]);
        view_.log.clear();
    }
}

TEST_F(LexiconWorkTest, EmptyKeywordsDoNothing) {
    Open("ab\r\n");
    Query("");
    Add("");
    Delete("");
    EXPECT_THAT(view_.log, IsEmpty());
    EXPECT_TRUE(book_.Idle());
}

TEST_F(LexiconWorkTest, TheBoxIsReadAgainWhenTheTurnComes) {
    Open("ab\r\nac\r\n");
    const auto messageFor = [&](std::string typed, std::string now) {
        view_.log.clear();
        view_.wordBox = std::move(now);
        RunDelete(book_, LexiconTicket(book_), std::move(typed), view_);
        return view_.log.empty() ? "" : view_.log.back();
    };
    EXPECT_EQ("[信息：] 指定词语不存在。", messageFor("ab", "zz")); // changed while the job waited
    EXPECT_EQ("", messageFor("ab", ""));                            // cleared: nothing at all
    view_.gone = true;
    EXPECT_EQ("", messageFor("ab", "zz")); // the click's word is deleted, with no window to tell
    EXPECT_EQ("ac\r\n", test::ReadFileBytes(wordFile_));
}

TEST_F(LexiconWorkTest, AddWritesTheFileAndAddsOnce) {
    Open("ab\r\nac\r\nb\r\n");
    Add("ad");
    EXPECT_EQ("ad\r\nab\r\nac\r\nb\r\n", test::ReadFileBytes(wordFile_));
    // The second of two quick adds finds the word, and the file is not written again.
    test::WriteFileBytes(wordFile_, "changed elsewhere");
    Add("ad");
    EXPECT_EQ("changed elsewhere", test::ReadFileBytes(wordFile_));
    EXPECT_THAT(view_.log, ElementsAre("add button: 增加中.", "rows: 当前词库共：3 行数据。", "add button: 增加",
                                       "[信息：] 添加成功", "add button: 增加中.", "rows: 当前词库共：4 行数据。",
                                       "add button: 增加", "[信息：] 您所添加的词已经存在无需重复添加"));
}

TEST_F(LexiconWorkTest, AddMatchingNothingAppends) {
    RunLoad(book_, LexiconTicket(book_), book_.folder); // no word file
    Add(G("白菜"));
    EXPECT_EQ(G("白菜\r\n"), test::ReadFileBytes(wordFile_));
    EXPECT_EQ("[信息：] 添加成功", view_.log.back());
}

TEST_F(LexiconWorkTest, DeleteWritesTheFile) {
    Open(G("a b\r\nc\r\nd"));
    Delete("c");
    Delete("c");
    EXPECT_EQ(G("a b\r\nd"), test::ReadFileBytes(wordFile_));
    EXPECT_THAT(view_.log, ElementsAre("delete button: 删除中.", "delete button: 删除", "[信息：] 删除成功",
                                       "delete button: 删除中.", "delete button: 删除", "[信息：] 指定词语不存在。"));
}

TEST_F(LexiconWorkTest, AFailedWriteIsReportedAndTheListKept) {
    Open("ab\r\nx\r\n");
    book_.folder = UnwritableFolder();
    const std::string expected = "[信息：] 保存失败,词库文件无法写入：" +
                                 (folder_ / "plain/db/googledict.txt").string() +
                                 "。请检查本程序是否有读写权限。 (error)";
    Add("ad");
    EXPECT_EQ(expected, view_.log.back());
    Delete("x");
    EXPECT_EQ(expected, view_.log.back());
    EXPECT_EQ("ab\r\nx\r\n", book_.list.Bytes());
    for (const std::string& line : view_.log)
        EXPECT_THAT(line, testing::Not(testing::HasSubstr("成功")));
}

TEST_F(LexiconWorkTest, BackupAndRestore) {
    const std::string folder = book_.folder;
    RecordingView dialogs;
    int restored = 0;
    const auto restoredOnce = [&] { ++restored; };

    BackUpWordFile(folder, dialogs); // no word file yet
    test::WriteFileBytes(wordFile_, "ab\r\n");
    BackUpWordFile(folder, dialogs);
    EXPECT_EQ("ab\r\n", test::ReadFileBytes(folder_ / "bak_googledict.txt"));
    test::WriteFileBytes(wordFile_, "changed");
    RestoreWordFile(folder, dialogs, restoredOnce);
    EXPECT_EQ("ab\r\n", test::ReadFileBytes(wordFile_));

    const std::string unwritable = UnwritableFolder();
    BackUpWordFile(unwritable, dialogs);
    RestoreWordFile(unwritable, dialogs, restoredOnce);
    EXPECT_EQ(1, restored);
    const std::string failed = "[备份] 备份失败,请检查相关权限本程序是否有读写权限。也可以测试右键已管理员运行。";
    EXPECT_THAT(dialogs.log,
                ElementsAre(failed, "[备份] 备份成功,备份文件位置：" + folder_.Path().string() + "/bak_googledict.txt",
                            "[备份] 恢复成功", failed, "[备份] 恢复失败"));
}

TEST(LexiconTicketTest, TurnsComeInTheOrderTheTicketsWereTaken) {
    LexiconBook book;
    std::vector<int> order;
    std::optional<LexiconTicket> first(std::in_place, book);
    std::optional<LexiconTicket> givenUp(std::in_place, book);
    std::vector<std::thread> jobs;
    for (int job = 3; job <= 4; ++job) {
        LexiconTicket ticket(book);
        jobs.emplace_back([&, job, ticket = std::move(ticket)]() mutable {
            ticket.WaitTurn();
            order.push_back(job);
        });
    }
    givenUp.reset(); // before its turn: never waits, and is passed over
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_TRUE(order.empty()); // the first ticket holds its turn
    EXPECT_FALSE(book.Idle());
    first->WaitTurn();
    order.push_back(1);
    first.reset(); // passes its turn on
    book.WaitUntilIdle();
    for (std::thread& job : jobs)
        job.join();
    EXPECT_THAT(order, ElementsAre(1, 3, 4));
}

} // namespace
} // namespace sw
