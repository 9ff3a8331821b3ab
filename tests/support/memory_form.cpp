#include "tests/support/memory_form.h"

namespace sw::test {

void MemoryGrid::AppendRow(std::string_view firstCell) {
    rows_.emplace_back(static_cast<size_t>(columns_));
    rows_.back()[0].text = firstCell;
}

void MemoryGrid::ReplaceDataRows(std::vector<std::vector<std::string>> rows) {
    rows_.resize(1);
    for (auto& texts : rows) {
        std::vector<Cell> row(static_cast<size_t>(columns_));
        for (size_t c = 0; c < texts.size() && c < row.size(); ++c)
            row[c].text = std::move(texts[c]);
        rows_.push_back(std::move(row));
    }
}

void MemoryGrid::WrapDataRows(int column) {
    for (size_t r = 1; r < rows_.size(); ++r)
        rows_[r].at(static_cast<size_t>(column)).wraps = true;
}

std::vector<std::string> MemoryGrid::RowTexts(int row) const {
    std::vector<std::string> texts;
    for (const Cell& cell : rows_.at(static_cast<size_t>(row)))
        texts.push_back(cell.text);
    return texts;
}

std::string MemoryForm::Text(std::string_view control) const {
    auto it = texts.find(std::string(control));
    return it == texts.end() ? std::string() : it->second;
}

bool MemoryForm::IsEnabled(std::string_view control) const {
    auto it = enabled_.find(std::string(control));
    return it == enabled_.end() || it->second;
}

bool MemoryForm::IsChecked(std::string_view control) const {
    auto it = checked.find(std::string(control));
    return it != checked.end() && it->second;
}

int MemoryForm::SelectedIndex(std::string_view control) const {
    auto it = selected.find(std::string(control));
    return it == selected.end() ? -1 : it->second;
}

std::vector<ListItem> MemoryForm::Items(std::string_view control) const {
    auto it = items.find(std::string(control));
    return it == items.end() ? std::vector<ListItem>() : it->second;
}

int MemoryForm::CheckItemCount(std::string_view control) const {
    auto it = checkItems.find(std::string(control));
    return it == checkItems.end() ? 0 : static_cast<int>(it->second.size());
}

bool MemoryForm::IsItemChecked(std::string_view control, int item) const {
    auto it = checkItems.find(std::string(control));
    return it != checkItems.end() && item >= 0 && static_cast<size_t>(item) < it->second.size() &&
           it->second[static_cast<size_t>(item)];
}

void MemoryForm::SetItemChecked(std::string_view control, int item, bool isChecked) {
    auto& list = checkItems[std::string(control)];
    if (item >= 0 && static_cast<size_t>(item) < list.size())
        list[static_cast<size_t>(item)] = isChecked;
}

RgbColour MemoryForm::Colour(std::string_view picker) const {
    auto it = colours.find(std::string(picker));
    return it == colours.end() ? 0 : it->second;
}

} // namespace sw::test
