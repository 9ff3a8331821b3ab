#pragma once

// The list as a CSV file in code page 936, which Excel on a Chinese system
// reads as it writes it: RFC 4180 fields and CR LF after every record, the
// title row first.
//
// Shop names come from the marketplace, so a field that a spreadsheet would
// take for a formula (starting with "=", "+", "-", "@", a tab or a carriage
// return) is written with a leading apostrophe.

#include "shop/grid_port.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace sw {

// One field as written: guarded, then quoted when it holds a comma, a quote or
// a line break, with inner quotes doubled.
std::string CsvField(std::string_view text);

// Writes file (created or replaced); false when it cannot be written completely.
bool WriteCsv(const std::filesystem::path& file, const GridPort& grid, const std::vector<int>& columns);

} // namespace sw
