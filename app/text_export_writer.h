#pragma once

// The list as a text file: for every grid row from the title row on, the texts
// of the chosen columns joined by tabs; lines joined by CR LF with none after
// the last; the program's GBK bytes, without byte-order mark.

#include "shop/grid_port.h"

#include <filesystem>
#include <vector>

namespace sw {

// Writes file (created or replaced); false when it cannot be written completely.
bool WriteTextExport(const std::filesystem::path& file, const GridPort& grid, const std::vector<int>& columns);

} // namespace sw
