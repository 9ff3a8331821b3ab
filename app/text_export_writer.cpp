#include "app/text_export_writer.h"

#include <cstdio>
#include <string>

namespace sw {

bool WriteTextExport(const std::filesystem::path& file, const GridPort& grid, const std::vector<int>& columns) {
    std::FILE* out = std::fopen(file.c_str(), "wb");
    if (out == nullptr)
        return false;
    std::string line;
    bool ok = true;
    const int rows = grid.RowCount();
    for (int row = 0; row < rows && ok; ++row) {
        line.clear();
        if (row > 0)
            line.append("\r\n");
        for (size_t i = 0; i < columns.size(); ++i) {
            if (i > 0)
                line.push_back('\t');
            line.append(grid.CellText(row, columns[i]));
        }
        ok = std::fwrite(line.data(), 1, line.size(), out) == line.size();
    }
    return std::fclose(out) == 0 && ok;
}

} // namespace sw
