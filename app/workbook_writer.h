#pragma once

// The list as an Excel workbook (.xlsx), written with libxlsxwriter: the grid
// rows from the title row on go to sheet rows 1, 2, ...; the i-th chosen column
// goes to the sheet column whose letters are letters[i]. Every cell is a string,
// never a formula, whatever its text begins with.

#include "shop/grid_port.h"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sw {

// From this many cells on, rows go to disk as they are written instead of
// staying in memory (inline strings instead of a shared string table).
inline constexpr std::size_t kWorkbookConstantMemoryCells = 100000;

enum class WorkbookResult { Written, BadColumnName, CannotWrite };

// The zero-based sheet column named by letters ("A" 0, "AA" 26); none when the
// letters name no column of a sheet.
std::optional<int> SheetColumnOfLetters(std::string_view letters);

// Writes file (created or replaced). letters holds one name per chosen column.
WorkbookResult WriteWorkbook(const std::filesystem::path& file, const GridPort& grid, const std::vector<int>& columns,
                             const std::vector<std::string>& letters,
                             std::size_t constantMemoryFromCells = kWorkbookConstantMemoryCells);

} // namespace sw
