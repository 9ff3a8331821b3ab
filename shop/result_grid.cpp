#include "shop/result_grid.h"

#include "text/code_page.h"
#include "text/number_text.h"

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <vector>

namespace sw {
namespace {

const std::array<std::string, kGridColumnCount>& HeaderTexts() {
    static const std::array<std::string, kGridColumnCount> headers = {
        "ID",          Gbk("卖家旺旺名称"), Gbk("店铺名称"), Gbk("店铺链接"), Gbk("店铺销量"), Gbk("店铺宝贝数"),
        Gbk("好评率"), Gbk("描述相符"),     Gbk("服务态度"), Gbk("物流服务"), Gbk("地区"),     Gbk("热销宝贝"),
    };
    return headers;
}

const std::string& UpArrow() {
    static const std::string arrow = Gbk("↑");
    return arrow;
}

const std::string& DownArrow() {
    static const std::string arrow = Gbk("↓");
    return arrow;
}

constexpr int kSalesColumn = 4;
constexpr int kItemColumn = 5;
constexpr int kRateColumn = 6;
constexpr int kFirstSortColumn = 4;
constexpr int kLastSortColumn = 9;
constexpr int kFirstScoreColumn = 6; // rate and the three scores: "%" and "." are dropped for the key

std::string Without(std::string_view text, std::string_view characters) {
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (characters.find(c) == std::string_view::npos)
            out.push_back(c);
    return out;
}

// The sort key of a cell: its integer, of which the low 32 bits count.
std::int32_t SortKey(std::string_view text, int column) {
    std::int64_t value = column >= kFirstScoreColumn ? TextToInt64(Without(text, "%.")) : TextToInt64(text);
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(value)));
}

} // namespace

std::array<const std::string*, 11> ShopRecord::Fields() const {
    return {&sellerName,       &shopName,     &shopLink,       &totalSales, &itemCount, &positiveRate,
            &descriptionScore, &serviceScore, &logisticsScore, &region,     &hotItems};
}

const std::string& GridHeaderText(int column) {
    return HeaderTexts().at(static_cast<size_t>(column));
}

void SetUpResultGrid(GridPort& grid) {
    for (int c = 0; c < kGridColumnCount; ++c)
        grid.SetCellText(0, c, GridHeaderText(c));
    grid.SetColumnWidth(1, 120);
    grid.SetColumnWidth(2, 120);
    grid.SetColumnWidth(3, 260);
    for (int c = 4; c <= 10; ++c)
        grid.SetColumnWidth(c, 80);
    grid.SetColumnWidth(11, 400);
}

void AppendShopRow(GridPort& grid, const ShopRecord& record) {
    grid.AppendRow(std::to_string(grid.RowCount()));
    grid.WrapDataRows(kRegionColumn);
    int column = 1;
    // Each write addresses the last row afresh: a handler run in between may have changed the grid.
    for (const std::string* field : record.Fields())
        grid.SetCellText(grid.RowCount() - 1, column++, *field);
}

void MarkShopRow(FormPort& form, const ShopRecord& record, std::string_view salesThreshold,
                 std::string_view itemThreshold, std::string_view rateThreshold) {
    static const std::string salesPicker = Gbk("颜色选择器3");
    static const std::string itemPicker = Gbk("颜色选择器1");
    static const std::string ratePicker = Gbk("颜色选择器2");
    GridPort& grid = form.Grid();
    if (!salesThreshold.empty() && TextToInt(record.totalSales) >= TextToInt(salesThreshold))
        grid.SetCellColour(grid.RowCount() - 1, kSalesColumn, form.Colour(salesPicker));
    if (!itemThreshold.empty() && TextToInt(record.itemCount) >= TextToInt(itemThreshold))
        grid.SetCellColour(grid.RowCount() - 1, kItemColumn, form.Colour(itemPicker));
    if (!rateThreshold.empty() && TextToInt(Without(record.positiveRate, "%")) >= TextToInt(rateThreshold))
        grid.SetCellColour(grid.RowCount() - 1, kRateColumn, form.Colour(ratePicker));
}

void ClearResults(GridPort& grid) {
    grid.RemoveDataRows();
}

void SortByColumn(GridPort& grid, int column, bool descending) {
    const int rows = grid.RowCount() - 1;
    std::vector<std::int32_t> keys(static_cast<size_t>(rows));
    for (int r = 1; r <= rows; ++r)
        keys[static_cast<size_t>(r - 1)] = SortKey(grid.CellText(r, column), column);

    // Rows of equal keys go in descending order of their row number, except that
    // when the highest-numbered row still unplaced has the key, it goes last.
    std::vector<int> order(static_cast<size_t>(rows));
    std::iota(order.begin(), order.end(), 1);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        std::int32_t ka = keys[static_cast<size_t>(a - 1)];
        std::int32_t kb = keys[static_cast<size_t>(b - 1)];
        if (ka != kb)
            return descending ? ka > kb : ka < kb;
        return a > b;
    });
    // Walk the key groups from the last placed to the first, knowing the highest
    // row number among the groups placed after each.
    int highestAfter = 0;
    for (size_t end = order.size(); end > 0;) {
        size_t begin = end - 1;
        std::int32_t key = keys[static_cast<size_t>(order[begin] - 1)];
        while (begin > 0 && keys[static_cast<size_t>(order[begin - 1] - 1)] == key)
            --begin;
        int highestInGroup = order[begin]; // descending row numbers: the first is the highest
        if (highestInGroup > highestAfter)
            std::rotate(order.begin() + static_cast<std::ptrdiff_t>(begin),
                        order.begin() + static_cast<std::ptrdiff_t>(begin) + 1,
                        order.begin() + static_cast<std::ptrdiff_t>(end));
        highestAfter = std::max(highestAfter, highestInGroup);
        end = begin;
    }

    std::vector<std::vector<std::string>> sorted;
    sorted.reserve(order.size());
    for (size_t i = 0; i < order.size(); ++i) {
        std::vector<std::string> cells(kGridColumnCount);
        cells[0] = std::to_string(i + 1);
        for (int c = 1; c < kGridColumnCount; ++c)
            cells[static_cast<size_t>(c)] = grid.CellText(order[i], c);
        sorted.push_back(std::move(cells));
    }
    grid.ReplaceDataRows(std::move(sorted));
}

void OnGridHeaderClick(GridPort& grid, int row, int column) {
    if (row != 0 || column < kFirstSortColumn || column > kLastSortColumn)
        return;
    const std::string& header = GridHeaderText(column);
    std::string current = grid.CellText(0, column);
    if (current == header || current == header + DownArrow()) {
        SortByColumn(grid, column, true);
        grid.SetCellText(0, column, header + UpArrow());
    } else if (current == header + UpArrow()) {
        SortByColumn(grid, column, false);
        grid.SetCellText(0, column, header + DownArrow());
    }
}

} // namespace sw
