#pragma once

// In-memory stand-ins for the main window's form and grid, for headless tests
// of the logic. Controls spring into being when first written.

#include "shop/form_port.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace sw::test {

class MemoryGrid : public GridPort {
public:
    struct Cell {
        std::string text;
        std::optional<RgbColour> colour;
        bool wraps = false;
    };

    explicit MemoryGrid(int columns = 12) : columns_(columns) { rows_.emplace_back(static_cast<size_t>(columns)); }

    int RowCount() const override { return static_cast<int>(rows_.size()); }
    int ColumnCount() const override { return columns_; }
    std::string CellText(int row, int column) const override { return At(row, column).text; }
    void SetCellText(int row, int column, std::string_view text) override { At(row, column).text = text; }
    void SetColumnWidth(int column, int width) override { widths[column] = width; }
    void AppendRow(std::string_view firstCell) override;
    void RemoveDataRows() override { rows_.resize(1); }
    void ReplaceDataRows(std::vector<std::vector<std::string>> rows) override;
    void SetCellColour(int row, int column, RgbColour colour) override { At(row, column).colour = colour; }
    void WrapDataRows(int column) override;

    const Cell& At(int row, int column) const {
        return rows_.at(static_cast<size_t>(row)).at(static_cast<size_t>(column));
    }
    Cell& At(int row, int column) { return rows_.at(static_cast<size_t>(row)).at(static_cast<size_t>(column)); }
    std::vector<std::string> RowTexts(int row) const;

    std::map<int, int> widths;

private:
    int columns_;
    std::vector<std::vector<Cell>> rows_;
};

class MemoryForm : public FormPort {
public:
    std::string Text(std::string_view control) const override;
    void SetText(std::string_view control, std::string_view text) override { texts[std::string(control)] = text; }
    void SetEnabled(std::string_view control, bool enabled) override {
        enabled_[std::string(control)] = enabled;
        enableLog.emplace_back(control, enabled);
    }
    bool IsEnabled(std::string_view control) const;

    bool IsChecked(std::string_view control) const override;
    int SelectedIndex(std::string_view control) const override;
    void SetSelectedIndex(std::string_view control, int index) override { selected[std::string(control)] = index; }
    std::vector<ListItem> Items(std::string_view control) const override;
    void SetItems(std::string_view control, const std::vector<ListItem>& list) override {
        items[std::string(control)] = list;
    }
    int CheckItemCount(std::string_view control) const override;
    bool IsItemChecked(std::string_view control, int item) const override;
    void SetItemChecked(std::string_view control, int item, bool checked) override;
    RgbColour Colour(std::string_view picker) const override;
    void SetColour(std::string_view picker, RgbColour colour) override { colours[std::string(picker)] = colour; }
    void ShowHint(std::string_view text) override { hints.emplace_back(text); }
    GridPort& Grid() override { return grid; }

    std::map<std::string, std::string> texts;
    std::map<std::string, bool> checked;
    std::map<std::string, int> selected;
    std::map<std::string, std::vector<ListItem>> items;
    std::map<std::string, std::vector<bool>> checkItems;
    std::map<std::string, RgbColour> colours;
    std::vector<std::string> hints;
    std::vector<std::pair<std::string, bool>> enableLog;
    MemoryGrid grid;

private:
    std::map<std::string, bool> enabled_;
};

} // namespace sw::test
