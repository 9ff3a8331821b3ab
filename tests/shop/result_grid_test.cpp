#include "shop/result_grid.h"

#include "tests/support/gbk_assert.h"
#include "tests/support/memory_form.h"

#include <gtest/gtest.h>

namespace sw {
namespace {

using test::G;

const RgbColour kSalesColour = 0x0000FF;
const RgbColour kItemColour = 0x00FF00;
const RgbColour kRateColour = 0xFF0000;

class ResultGridTest : public ::testing::Test {
protected:
    ResultGridTest() {
        form_.SetColour(G("颜色选择器3"), kSalesColour);
        form_.SetColour(G("颜色选择器1"), kItemColour);
        form_.SetColour(G("颜色选择器2"), kRateColour);
        SetUpResultGrid(grid_);
    }

    static ShopRecord Shop(std::string seller, std::string sales, std::string items = "1", std::string rate = "") {
        ShopRecord r;
        r.sellerName = std::move(seller);
        r.shopName = G("店");
        r.shopLink = "https://shop1.example";
        r.totalSales = std::move(sales);
        r.itemCount = std::move(items);
        r.positiveRate = std::move(rate);
        return r;
    }

    test::MemoryForm form_;
    test::MemoryGrid& grid_ = form_.grid;
};

TEST_F(ResultGridTest, SetUpWritesHeadersAndWidths) {
    EXPECT_EQ(1, grid_.RowCount());
    EXPECT_EQ(
        (std::vector<std::string>{"ID", G("卖家旺旺名称"), G("店铺名称"), G("店铺链接"), G("店铺销量"), G("店铺宝贝数"),
                                  G("好评率"), G("描述相符"), G("服务态度"), G("物流服务"), G("地区"), G("热销宝贝")}),
        grid_.RowTexts(0));
    EXPECT_EQ(
        (std::map<int, int>{
            {1, 120}, {2, 120}, {3, 260}, {4, 80}, {5, 80}, {6, 80}, {7, 80}, {8, 80}, {9, 80}, {10, 80}, {11, 400}}),
        grid_.widths);
}

TEST_F(ResultGridTest, RowsAreNumberedFromTheRowCount) {
    ShopRecord shop = Shop("a", "10");
    shop.region = G("浙江 台州");
    shop.hotItems = "";
    AppendShopRow(grid_, shop);
    EXPECT_EQ(2, grid_.RowCount());
    EXPECT_EQ((std::vector<std::string>{"1", "a", G("店"), "https://shop1.example", "10", "1", "", "", "", "",
                                        G("浙江 台州"), ""}),
              grid_.RowTexts(1));
    EXPECT_TRUE(grid_.At(1, 10).wraps);
    AppendShopRow(grid_, Shop("b", "20"));
    EXPECT_EQ("2", grid_.CellText(2, 0));
    EXPECT_TRUE(grid_.At(1, 10).wraps && grid_.At(2, 10).wraps);

    ClearResults(grid_);
    EXPECT_EQ(1, grid_.RowCount());
    EXPECT_EQ("ID", grid_.CellText(0, 0));
    AppendShopRow(grid_, Shop("c", "30"));
    EXPECT_EQ("1", grid_.CellText(1, 0));
}

struct MarkCase {
    const char* name;
    std::string sales, items, rate;
    std::string salesThreshold, itemThreshold, rateThreshold;
    bool salesMarked, itemsMarked, rateMarked;
};

TEST_F(ResultGridTest, MarkShopRowColoursCellsThatReachTheirThresholds) {
    const MarkCase cases[] = {
        {"all three", "150", "250", "100.00%", "100", "200", "100", true, true, true},
        {"rate cut to its integer", "150", "250", "99.99%", "100", "200", "100", true, true, false},
        {"equal counts", "100", "200", "100%", "100", "200", "100", true, true, true},
        {"below", "99", "199", "98%", "100", "200", "99", false, false, false},
        {"empty thresholds test nothing", "0", "0", "", "", "", "", false, false, false},
        {"a zero threshold marks everything", "0", "x", "", "0", "0", "0", true, true, true},
        {"full-width figures", G("１５０"), "250", "100%", G("１００"), "200", "100", true, true, true},
    };
    for (const MarkCase& c : cases) {
        ClearResults(grid_);
        ShopRecord shop = Shop("s", c.sales, c.items, c.rate);
        AppendShopRow(grid_, shop);
        MarkShopRow(form_, shop, c.salesThreshold, c.itemThreshold, c.rateThreshold);
        EXPECT_EQ(c.salesMarked ? std::optional(kSalesColour) : std::nullopt, grid_.At(1, 4).colour) << c.name;
        EXPECT_EQ(c.itemsMarked ? std::optional(kItemColour) : std::nullopt, grid_.At(1, 5).colour) << c.name;
        EXPECT_EQ(c.rateMarked ? std::optional(kRateColour) : std::nullopt, grid_.At(1, 6).colour) << c.name;
        for (int column : {0, 1, 2, 3, 7, 8, 9, 10, 11})
            EXPECT_FALSE(grid_.At(1, column).colour) << c.name << " column " << column;
    }
}

std::vector<std::string> Column(const test::MemoryGrid& grid, int column) {
    std::vector<std::string> texts;
    for (int r = 1; r < grid.RowCount(); ++r)
        texts.push_back(grid.CellText(r, column));
    return texts;
}

TEST_F(ResultGridTest, SortPlacesEqualKeysByTheRowNumberRule) {
    // Keys 5, 7, 5, 5 in rows 1 to 4, largest first: rows 2, 3, 1, 4.
    for (const char* sales : {"5", "7", "5", "5"})
        AppendShopRow(grid_, Shop(std::string("row") + std::to_string(grid_.RowCount()), sales));
    SortByColumn(grid_, 4, true);
    EXPECT_EQ((std::vector<std::string>{"row2", "row3", "row1", "row4"}), Column(grid_, 1));
    EXPECT_EQ((std::vector<std::string>{"1", "2", "3", "4"}), Column(grid_, 0));
}

struct SortCase {
    int column;
    bool descending;
    std::vector<std::string> texts;    // cell texts in rows 1..n
    std::vector<std::string> expected; // the same texts after the sort
};

TEST_F(ResultGridTest, SortKeysDropPercentAndPointOnRateAndScores) {
    const SortCase cases[] = {
        {6, true, {"99.87%", "100.00%", "98%"}, {"100.00%", "99.87%", "98%"}},
        {7, true, {"4.8", "4.9", "4.85"}, {"4.85", "4.9", "4.8"}}, // 48, 49, 485
        {4, false, {"200", "x", "10"}, {"x", "10", "200"}},        // no number sorts as 0
        {5, true, {"1.9", "1.2", "3"}, {"3", "1.9", "1.2"}},       // the fraction is cut: 1, 1, 3
        {4, true, {"4294967297", "2"}, {"2", "4294967297"}},       // the low 32 bits: 1 and 2
        {4, true, {}, {}},
    };
    for (const SortCase& c : cases) {
        ClearResults(grid_);
        for (const std::string& text : c.texts) {
            ShopRecord shop = Shop("s", "0");
            std::string* field[] = {&shop.totalSales, &shop.itemCount, &shop.positiveRate, &shop.descriptionScore};
            *field[c.column - 4] = text;
            AppendShopRow(grid_, shop);
        }
        SortByColumn(grid_, c.column, c.descending);
        EXPECT_EQ(c.expected, Column(grid_, c.column)) << "column " << c.column;
    }
}

TEST_F(ResultGridTest, SortMovesWholeRowsAndDropsColours) {
    ShopRecord a = Shop("a", "1", "5", "99%");
    a.hotItems = "https://a";
    ShopRecord b = Shop("b", "300", "", "");
    AppendShopRow(grid_, a);
    MarkShopRow(form_, a, "1", "1", "1");
    AppendShopRow(grid_, b);
    std::vector<std::string> rowA = grid_.RowTexts(1);
    std::vector<std::string> rowB = grid_.RowTexts(2);
    SortByColumn(grid_, 4, true);
    rowA[0] = "2";
    rowB[0] = "1";
    EXPECT_EQ(rowB, grid_.RowTexts(1));
    EXPECT_EQ(rowA, grid_.RowTexts(2));
    for (int r = 1; r <= 2; ++r)
        for (int col = 0; col < 12; ++col)
            EXPECT_FALSE(grid_.At(r, col).colour || grid_.At(r, col).wraps);
}

TEST_F(ResultGridTest, HeaderClicksToggleTheSortAndItsMarker) {
    for (const char* sales : {"1", "3", "2"})
        AppendShopRow(grid_, Shop("s", sales));
    const std::string header = G("店铺销量");
    const std::pair<std::string, std::vector<std::string>> clicks[] = {
        {header + G("↑"), {"3", "2", "1"}},
        {header + G("↓"), {"1", "2", "3"}},
        {header + G("↑"), {"3", "2", "1"}},
    };
    for (const auto& [marker, order] : clicks) {
        OnGridHeaderClick(grid_, 0, 4);
        EXPECT_GBK_EQ(marker, grid_.CellText(0, 4));
        EXPECT_EQ(order, Column(grid_, 4));
    }
    // Other columns keep their markers; clicks elsewhere do nothing.
    OnGridHeaderClick(grid_, 0, 5);
    EXPECT_GBK_EQ(G("店铺宝贝数↑"), grid_.CellText(0, 5));
    EXPECT_GBK_EQ(header + G("↑"), grid_.CellText(0, 4));
    for (auto [row, column] : {std::pair{0, 3}, {0, 10}, {1, 4}}) {
        std::vector<std::string> before = Column(grid_, 1);
        OnGridHeaderClick(grid_, row, column);
        EXPECT_EQ(before, Column(grid_, 1));
    }
    EXPECT_GBK_EQ(G("店铺链接"), grid_.CellText(0, 3));
    // A header whose text is none of the three forms does nothing.
    grid_.SetCellText(0, 6, "odd");
    OnGridHeaderClick(grid_, 0, 6);
    EXPECT_EQ("odd", grid_.CellText(0, 6));
}

} // namespace
} // namespace sw
