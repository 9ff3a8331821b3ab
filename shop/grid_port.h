#pragma once

// What the program asks of its result grid, by role. The Qt model implements
// it for the window; tests use an in-memory grid. Row 0 is the header row and
// counts in RowCount. Texts are GBK.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sw {

// A Windows RGB colour value: red in the low byte, then green, then blue.
using RgbColour = std::uint32_t;

class GridPort {
public:
    virtual ~GridPort() = default;

    virtual int RowCount() const = 0;
    virtual int ColumnCount() const = 0;
    virtual std::string CellText(int row, int column) const = 0;
    virtual void SetCellText(int row, int column, std::string_view text) = 0;
    virtual void SetColumnWidth(int column, int width) = 0;

    // Appends a row whose column-0 cell holds firstCell and whose other cells are empty.
    virtual void AppendRow(std::string_view firstCell) = 0;
    // Deletes every data row; the header row stays. Colours and formats go with the rows.
    virtual void RemoveDataRows() = 0;
    // Replaces every data row at once by rows of cell texts (one text per column,
    // in column order), with the grid's default colour and format.
    virtual void ReplaceDataRows(std::vector<std::vector<std::string>> rows) = 0;

    virtual void SetCellColour(int row, int column, RgbColour colour) = 0;
    // Every data row present now wraps its text in column over several lines,
    // keeping each cell's horizontal alignment; rows appended later do not until
    // the next call.
    virtual void WrapDataRows(int column) = 0;
};

} // namespace sw
