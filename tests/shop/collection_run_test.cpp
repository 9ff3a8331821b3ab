#include "shop/collection_run.h"

#include "tests/support/gbk_assert.h"
#include "tests/support/memory_form.h"
#include "tests/support/recording_dialogs.h"
#include "text/ui_pump.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace sw {
namespace {

using test::G;

// A shop of a hand-made result page; empty texts leave the member out.
struct PageShop {
    std::string nick = "seller";
    std::string rawTitle = "shop";
    std::string shopUrl = "//shop1.taobao.com";
    std::string totalsold = "150";
    std::string procnt = "250";
    std::string provcity = "浙江 台州";
    std::string dsrStr = R"({\"sgr\":\"100.00%\",\"mas\":\"4.90\",\"sas\":\"4.93\",\"cas\":\"4.91\"})";
    std::vector<std::string> hotItems;
};

std::string Member(const char* name, const std::string& value, bool quoted = true) {
    if (value.empty())
        return "";
    return std::string("\"") + name + "\":" + (quoted ? "\"" + value + "\"" : value) + ",";
}

// A UTF-8 result page as the shop search answers it.
std::string Page(const std::vector<PageShop>& shops) {
    std::string json = R"({"pageName":"spulist","mods":{"shoplist":{"status":"show","data":{"shopItems":[)";
    for (size_t i = 0; i < shops.size(); ++i) {
        const PageShop& s = shops[i];
        std::string items;
        for (const std::string& url : s.hotItems)
            items += (items.empty() ? "" : ",") + std::string(R"({"nid":"1","url":")") + url + "\"}";
        json += (i == 0 ? "{" : ",{") + Member("nick", s.nick) + Member("rawTitle", s.rawTitle) +
                Member("shopUrl", s.shopUrl) + Member("totalsold", s.totalsold, false) +
                Member("procnt", s.procnt, false) + Member("provcity", s.provcity) +
                (s.dsrStr.empty() ? "" : R"("dsrInfo":{"dsrStr":")" + s.dsrStr + "\"},") + R"("auctionsInshop":[)" +
                items + "]}";
    }
    return json + "]}}}}";
}

struct Fetch {
    std::string keyword;
    int page, sortIndex, shopTypeIndex, ratingIndex;
};

class CollectionRunTest : public ::testing::Test {
protected:
    CollectionRunTest() {
        const std::pair<const char*, const char*> boxes[] = {
            {"key", "dress"},        {"page1", "1"},     {"page2", "1"},         {"编辑框1", "100"},
            {"编辑框2", "100"},      {"编辑框3", "200"}, {"编辑框8", "100"},     {"编辑框4", "1"},
            {"编辑框5", "99999999"}, {"编辑框6", "1"},   {"编辑框7", "9999999"},
        };
        for (const auto& [name, text] : boxes)
            form_.SetText(G(name), text);
        for (const char* box : {"组合框1", "组合框2", "组合框3"})
            form_.SetSelectedIndex(G(box), 0);
        form_.SetColour(G("颜色选择器3"), 0xFF);
        g_pauses.clear();
        InstallUiWait([](int ms) { g_pauses.push_back(ms); });
    }
    ~CollectionRunTest() override { InstallUiWait(nullptr); }

    // Runs with pages answered from pages_ (by page number; missing: empty body).
    void RunWith(bool online = true) {
        CollectionRun run(
            form_, dialogs_,
            [this](std::string_view keyword, int page, int sortIndex, int shopTypeIndex, int ratingIndex) {
                fetches_.push_back({std::string(keyword), page, sortIndex, shopTypeIndex, ratingIndex});
                auto it = pages_.find(page);
                return it == pages_.end() ? std::string() : it->second;
            },
            [online] { return online; });
        run.Start();
    }

    std::vector<int> FetchedPages() const {
        std::vector<int> pages;
        for (const Fetch& f : fetches_)
            pages.push_back(f.page);
        return pages;
    }

    std::string LastHint() const { return form_.hints.empty() ? "" : form_.hints.back(); }
    static std::string Hint(int pages, int shops) {
        return G("采集完成,本次采集了") + std::to_string(pages) + G("页,店铺数量：") + std::to_string(shops);
    }

    static inline std::vector<int> g_pauses;
    test::MemoryForm form_;
    test::RecordingDialogs dialogs_;
    std::map<int, std::string> pages_;
    std::vector<Fetch> fetches_;
};

TEST_F(CollectionRunTest, CollectsKeptShopsIntoTheGrid) {
    PageShop hot;
    hot.hotItems = {"//a", "//b"};
    PageShop plain;
    plain.nick = "second";
    plain.totalsold = "99";
    plain.dsrStr = "{broken";
    pages_[1] = Page({hot, plain});
    form_.SetSelectedIndex(G("组合框2"), 6);
    RunWith();

    ASSERT_EQ(1u, fetches_.size());
    EXPECT_EQ("dress", fetches_[0].keyword);
    EXPECT_EQ(6, fetches_[0].shopTypeIndex);
    ASSERT_EQ(3, form_.grid.RowCount());
    EXPECT_EQ((std::vector<std::string>{"1", "seller", "shop", "https://shop1.taobao.com", "150", "250", "100.00%",
                                        "4.90", "4.93", "4.91", G("浙江 台州"), "https://a,//b"}),
              form_.grid.RowTexts(1));
    // A rating text that does not parse leaves the four rating cells empty; no hot items, no hot-item text.
    EXPECT_EQ((std::vector<std::string>{"2", "second", "shop", "https://shop1.taobao.com", "99", "250", "", "", "", "",
                                        G("浙江 台州"), ""}),
              form_.grid.RowTexts(2));
    EXPECT_TRUE(form_.grid.At(1, 4).colour);
    EXPECT_FALSE(form_.grid.At(2, 4).colour);
    EXPECT_GBK_EQ(Hint(1, 2), LastHint());
    EXPECT_GBK_EQ(G("开始采集"), form_.Text("start"));
    EXPECT_TRUE(g_pauses.empty()) << "no pause after the last page";
}

TEST_F(CollectionRunTest, LocksTheInputsInOrderAndUnlocksThem) {
    pages_[1] = Page({});
    RunWith();
    std::vector<std::pair<std::string, bool>> expected;
    for (bool enabled : {false, true})
        for (const char* name : {"key", "组合框1", "组合框2", "组合框3", "start", "编辑框1", "page1", "page2",
                                 "编辑框4", "编辑框5", "编辑框6", "编辑框7"})
            expected.emplace_back(G(name), enabled);
    EXPECT_EQ(expected, form_.enableLog);
}

struct FilterCase {
    const char* name;
    std::string sales, items;
    bool kept;
};

TEST_F(CollectionRunTest, RangesIncludeTheirEnds) {
    form_.SetText(G("编辑框4"), "10");
    form_.SetText(G("编辑框5"), "20");
    form_.SetText(G("编辑框6"), "5");
    form_.SetText(G("编辑框7"), "8");
    const FilterCase cases[] = {
        {"lowest ends", "10", "5", true},
        {"highest ends", "20", "8", true},
        {"too few sales", "9", "5", false},
        {"too many sales", "21", "5", false},
        {"too few items", "10", "4", false},
        {"too many items", "10", "9", false},
        {"missing numbers count as 0", "", "", false},
    };
    std::vector<PageShop> shops;
    for (const FilterCase& c : cases) {
        PageShop s;
        s.nick = c.name;
        s.totalsold = c.sales;
        s.procnt = c.items;
        shops.push_back(s);
    }
    pages_[1] = Page(shops);
    RunWith();
    std::vector<std::string> kept;
    for (int r = 1; r < form_.grid.RowCount(); ++r)
        kept.push_back(form_.grid.CellText(r, 1));
    EXPECT_EQ((std::vector<std::string>{"lowest ends", "highest ends"}), kept);
}

TEST_F(CollectionRunTest, ShopsWithoutNamesAreNeitherShownNorCounted) {
    PageShop noName;
    noName.rawTitle = "";
    PageShop noNick;
    noNick.nick = "";
    PageShop noAddress;
    noAddress.shopUrl = "";
    pages_[1] = Page({noName, noNick, noAddress, PageShop{}});
    RunWith();
    EXPECT_EQ(2, form_.grid.RowCount());
    EXPECT_GBK_EQ(Hint(1, 1), LastHint());
}

struct PagingCase {
    const char* name;
    std::string key, first, last, count;
    std::vector<int> fetched;
    int pauses;
    int hintPages, hintShops;
};

TEST_F(CollectionRunTest, PageLoopEnds) {
    const PagingCase cases[] = {
        {"pages 3 to 5", "dress", "3", "5", "100", {3, 4, 5}, 2, 5, 3},
        {"last page before the first", "dress", "3", "1", "100", {3}, 0, 3, 1},
        {"empty keyword", "", "4", "5", "100", {}, 0, 3, 0},
        {"count reached after the first shop", "dress", "1", "5", "0", {1}, 0, 1, 1},
        {"count reached on a page", "dress", "1", "5", "2", {1, 2}, 1, 2, 2},
    };
    for (const PagingCase& c : cases) {
        for (int p = 1; p <= 5; ++p)
            pages_[p] = Page({PageShop{}});
        fetches_.clear();
        g_pauses.clear();
        form_.SetText("key", c.key);
        form_.SetText("page1", c.first);
        form_.SetText("page2", c.last);
        form_.SetText(G("编辑框1"), c.count);
        form_.checked["select"] = true;
        RunWith();
        EXPECT_EQ(c.fetched, FetchedPages()) << c.name;
        EXPECT_EQ(std::vector<int>(static_cast<size_t>(c.pauses), 2000), g_pauses) << c.name;
        EXPECT_GBK_EQ(Hint(c.hintPages, c.hintShops), LastHint()) << c.name;
        EXPECT_EQ(c.hintShops + 1, form_.grid.RowCount()) << c.name;
    }
}

TEST_F(CollectionRunTest, AnEmptyBodyIsAskedForAgainThreeTimesAtMost) {
    form_.SetText("page2", "3");
    pages_[1] = Page({PageShop{}});
    RunWith(); // page 2 never answers
    EXPECT_EQ((std::vector<int>{1, 2, 2, 2}), FetchedPages());
    ASSERT_EQ(1u, dialogs_.messages.size());
    EXPECT_GBK_EQ(G("提醒"), dialogs_.messages[0].title);
    EXPECT_EQ(MessageIcon::Error, dialogs_.messages[0].icon);
    EXPECT_GBK_EQ(Hint(1, 1), LastHint());
    EXPECT_TRUE(form_.IsEnabled("start"));
}

TEST_F(CollectionRunTest, PagesThatAreNotJson) {
    // An error page counts as a page; a verification or login page ends the run.
    form_.SetText("page2", "3");
    pages_[1] = "<html>503 Service Unavailable</html>";
    pages_[2] = "<html>\xE4\xBA\xB2\xEF\xBC\x8C\xE5\xB0\x8F\xE4\xBA\x8C\xE6\xAD\xA3\xE5\xBF\x99</html>"; // 亲，小二正忙
    pages_[3] = Page({PageShop{}});
    RunWith();
    EXPECT_EQ((std::vector<int>{1, 2}), FetchedPages());
    ASSERT_EQ(1u, dialogs_.messages.size());
    EXPECT_EQ(MessageIcon::Error, dialogs_.messages[0].icon);
    EXPECT_GBK_EQ(Hint(2, 0), LastHint());
}

TEST_F(CollectionRunTest, OfflineShowsAMessageAndDoesNothingElse) {
    pages_[1] = Page({PageShop{}});
    RunWith(false);
    EXPECT_TRUE(fetches_.empty());
    ASSERT_EQ(1u, dialogs_.messages.size());
    EXPECT_GBK_EQ(G("尚未连接网络,请连接网络后再采集。"), dialogs_.messages[0].text);
    EXPECT_GBK_EQ(G("提醒"), dialogs_.messages[0].title);
    EXPECT_EQ(MessageIcon::Error, dialogs_.messages[0].icon);
    EXPECT_TRUE(form_.hints.empty());
}

TEST_F(CollectionRunTest, ClearsTheGridFirstOnlyWhenAsked) {
    pages_[1] = Page({PageShop{}});
    RunWith();
    RunWith();
    EXPECT_EQ(3, form_.grid.RowCount());
    form_.checked["select"] = true;
    RunWith();
    EXPECT_EQ(2, form_.grid.RowCount());
}

} // namespace
} // namespace sw
