#include "app/grid_clipboard.h"

#include <algorithm>

namespace sw {
namespace {

// The lines of a clipboard text: CR LF or a lone LF ends a line, and a final
// line end adds no empty line.
std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

} // namespace

std::string CellsClipboardText(const GridPort& grid, std::vector<GridCell> cells) {
    std::sort(cells.begin(), cells.end());
    cells.erase(std::unique(cells.begin(), cells.end()), cells.end());
    std::string text;
    for (size_t i = 0; i < cells.size(); ++i) {
        if (i > 0 && cells[i].row == cells[i - 1].row)
            text.push_back('\t');
        text += grid.CellText(cells[i].row, cells[i].column);
        if (i + 1 == cells.size() || cells[i + 1].row != cells[i].row)
            text += "\r\n";
    }
    return text;
}

void PasteClipboardText(GridPort& grid, int row, int column, std::string_view text) {
    const std::vector<std::string_view> lines = Lines(text);
    for (size_t i = 0; i < lines.size(); ++i) {
        const int r = row + static_cast<int>(i);
        if (r >= grid.RowCount())
            break;
        std::string_view line = lines[i];
        for (int c = column; c < grid.ColumnCount(); ++c) {
            size_t tab = line.find('\t');
            grid.SetCellText(r, c, line.substr(0, tab));
            if (tab == std::string_view::npos)
                break;
            line.remove_prefix(tab + 1);
        }
    }
}

} // namespace sw
