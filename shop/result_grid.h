#pragma once

// The result grid "高级表格1": the program's only store of collected shops,
// one row per kept shop under the header row.

#include "shop/form_port.h"
#include "shop/grid_port.h"

#include <array>
#include <string>
#include <string_view>

namespace sw {

// One collected shop: eleven GBK texts in grid-column order (columns 1 to 11).
struct ShopRecord {
    std::string sellerName;
    std::string shopName;
    std::string shopLink;
    std::string totalSales;
    std::string itemCount;
    std::string positiveRate;
    std::string descriptionScore;
    std::string serviceScore;
    std::string logisticsScore;
    std::string region;
    std::string hotItems;

    std::array<const std::string*, 11> Fields() const;
};

inline constexpr int kGridColumnCount = 12;
inline constexpr int kRegionColumn = 10;

// The header text of a column (GBK), "ID" for column 0.
const std::string& GridHeaderText(int column);

// Writes the header row and the column widths; run once when the window is created.
void SetUpResultGrid(GridPort& grid);

// Appends one data row numbered by the row count before it.
void AppendShopRow(GridPort& grid, const ShopRecord& record);

// Colours the text of the sales, item-count and positive-rate cells of the last
// row when they reach their thresholds (an empty threshold disables its test),
// with the colour of the picker in the cell's own row on the settings page.
void MarkShopRow(FormPort& form, const ShopRecord& record, std::string_view salesThreshold,
                 std::string_view itemThreshold, std::string_view rateThreshold);

// Deletes every data row.
void ClearResults(GridPort& grid);

// Reorders the data rows by the integer key of column (4 to 9), renumbering them.
void SortByColumn(GridPort& grid, int column, bool descending);

// A click on a fixed cell: on the header of columns 4 to 9 it toggles the sort
// and the "↑"/"↓" marker.
void OnGridHeaderClick(GridPort& grid, int row, int column);

} // namespace sw
