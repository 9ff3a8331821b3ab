#include "app/grid_clipboard.h"

#include "tests/support/gbk_assert.h"
#include "tests/support/memory_form.h"

#include <gtest/gtest.h>

namespace sw {
namespace {

using test::G;

class GridClipboardTest : public ::testing::Test {
protected:
    GridClipboardTest() : grid_(3) {
        for (int r = 1; r <= 3; ++r) {
            grid_.AppendRow(std::to_string(r));
            grid_.SetCellText(r, 1, G("店") + std::to_string(r));
            grid_.SetCellText(r, 2, std::to_string(r * 10));
        }
    }

    test::MemoryGrid grid_;
};

TEST_F(GridClipboardTest, CopyJoinsCellsByTabAndEndsEveryRowWithCrLf) {
    EXPECT_GBK_EQ(G("1\t店1\t10\r\n2\t店2\t20\r\n"),
                  CellsClipboardText(grid_, {{2, 2}, {1, 0}, {2, 0}, {1, 1}, {1, 2}, {2, 1}, {1, 1}}));
    EXPECT_GBK_EQ(G("店1\r\n30\r\n"), CellsClipboardText(grid_, {{3, 2}, {1, 1}})) << "one cell per row";
    EXPECT_GBK_EQ("", CellsClipboardText(grid_, {}));
}

TEST_F(GridClipboardTest, PasteFillsFromTheGivenCellAndStaysInsideTheGrid) {
    PasteClipboardText(grid_, 2, 1, G("甲\t乙\t丙\r\n丁\n戊\r\n"));
    EXPECT_EQ((std::vector<std::string>{"1", G("店1"), "10"}), grid_.RowTexts(1));
    EXPECT_EQ((std::vector<std::string>{"2", G("甲"), G("乙")}), grid_.RowTexts(2))
        << "丙 falls beyond the last column";
    EXPECT_EQ((std::vector<std::string>{"3", G("丁"), "30"}), grid_.RowTexts(3)) << "a short line leaves the rest";
    EXPECT_EQ(4, grid_.RowCount()) << "戊 adds no row";

    PasteClipboardText(grid_, 1, 0, "\t\r\n");
    EXPECT_EQ((std::vector<std::string>{"", "", "10"}), grid_.RowTexts(1)) << "empty fields empty their cells";
}

} // namespace
} // namespace sw
