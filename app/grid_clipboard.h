#pragma once

// The clipboard text of the result grid's copy, cut and paste: the cells of a
// row separated by a tab, each row ended by a carriage return and line feed.
// Texts are GBK; rows are grid rows (row 0 is the header row).

#include "shop/grid_port.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace sw {

struct GridCell {
    int row = 0;
    int column = 0;
    auto operator<=>(const GridCell&) const = default;
};

// The text of the given cells in row order, each row's cells in column order
// (the order in which they are given does not matter).
std::string CellsClipboardText(const GridPort& grid, std::vector<GridCell> cells);

// Writes text into the grid from (row, column) on: line i goes to row + i and
// its tab-separated field j to column + j. Cells beyond the grid's last row or
// column are left out; no row is added.
void PasteClipboardText(GridPort& grid, int row, int column, std::string_view text);

} // namespace sw
