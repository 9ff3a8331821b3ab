#include "app/grid_model.h"

#include "app/qt_text.h"
#include "app/rgb_colour.h"

#include <algorithm>

namespace sw {

GridModel::GridModel(int columns, QObject* parent)
    : QAbstractTableModel(parent), columns_(columns), header_(static_cast<size_t>(columns)),
      wrapped_(static_cast<size_t>(columns), 0), widths_(static_cast<size_t>(columns), -1) {}

int GridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int GridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : columns_;
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return QVariant();
    const int row = index.row() + 1;
    const Cell& cell = At(row, index.column());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return ToQString(cell.text);
    case Qt::ForegroundRole:
        if (cell.colour == kNoColour)
            return QVariant();
        return ToQColor(cell.colour);
    case kWrapRole:
        return CellWraps(row, index.column());
    default:
        return QVariant();
    }
}

bool GridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return false;
    SetCellText(index.row() + 1, index.column(), ToGbk(value.toString()));
    return true;
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < columns_)
        return ToQString(header_[static_cast<size_t>(section)]);
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

int GridModel::RowCount() const {
    return static_cast<int>(rows_.size()) + 1;
}

int GridModel::ColumnCount() const {
    return columns_;
}

bool GridModel::IsDataCell(int row, int column) const {
    return row >= 1 && row <= static_cast<int>(rows_.size()) && column >= 0 && column < columns_;
}

std::string GridModel::CellText(int row, int column) const {
    if (row == 0 && column >= 0 && column < columns_)
        return header_[static_cast<size_t>(column)];
    return IsDataCell(row, column) ? At(row, column).text : std::string();
}

void GridModel::SetCellText(int row, int column, std::string_view text) {
    if (row == 0 && column >= 0 && column < columns_) {
        header_[static_cast<size_t>(column)] = text;
        emit headerDataChanged(Qt::Horizontal, column, column);
        return;
    }
    if (!IsDataCell(row, column))
        return;
    At(row, column).text = text;
    const QModelIndex changed = index(row - 1, column);
    emit dataChanged(changed, changed, {Qt::DisplayRole, Qt::EditRole});
}

void GridModel::SetColumnWidth(int column, int width) {
    if (column < 0 || column >= columns_)
        return;
    widths_[static_cast<size_t>(column)] = width;
    emit columnWidthSet(column, width);
}

void GridModel::AppendRow(std::string_view firstCell) {
    const int position = static_cast<int>(rows_.size());
    beginInsertRows(QModelIndex(), position, position);
    rows_.emplace_back(static_cast<size_t>(columns_));
    rows_.back()[0].text = firstCell;
    endInsertRows();
}

void GridModel::RemoveDataRows() {
    if (rows_.empty())
        return;
    beginRemoveRows(QModelIndex(), 0, static_cast<int>(rows_.size()) - 1);
    std::vector<std::vector<Cell>>().swap(rows_);
    std::fill(wrapped_.begin(), wrapped_.end(), 0);
    endRemoveRows();
}

void GridModel::ReplaceDataRows(std::vector<std::vector<std::string>> rows) {
    beginResetModel();
    std::vector<std::vector<Cell>>().swap(rows_);
    rows_.reserve(rows.size());
    for (std::vector<std::string>& texts : rows) {
        std::vector<Cell>& row = rows_.emplace_back(static_cast<size_t>(columns_));
        for (size_t c = 0; c < texts.size() && c < row.size(); ++c)
            row[c].text = std::move(texts[c]);
    }
    std::fill(wrapped_.begin(), wrapped_.end(), 0);
    endResetModel();
}

void GridModel::SetCellColour(int row, int column, RgbColour colour) {
    if (!IsDataCell(row, column))
        return;
    At(row, column).colour = colour & 0xFFFFFFu;
    const QModelIndex changed = index(row - 1, column);
    emit dataChanged(changed, changed, {Qt::ForegroundRole});
}

void GridModel::WrapDataRows(int column) {
    if (column < 0 || column >= columns_)
        return;
    int& wrapped = wrapped_[static_cast<size_t>(column)];
    const int rows = static_cast<int>(rows_.size());
    if (wrapped >= rows)
        return;
    const int first = wrapped;
    wrapped = rows;
    emit dataChanged(index(first, column), index(rows - 1, column), {kWrapRole});
}

int GridModel::ColumnWidth(int column) const {
    return column >= 0 && column < columns_ ? widths_[static_cast<size_t>(column)] : -1;
}

bool GridModel::HasCellColour(int row, int column) const {
    return IsDataCell(row, column) && At(row, column).colour != kNoColour;
}

RgbColour GridModel::CellColour(int row, int column) const {
    return HasCellColour(row, column) ? At(row, column).colour : 0;
}

bool GridModel::CellWraps(int row, int column) const {
    return IsDataCell(row, column) && row <= wrapped_[static_cast<size_t>(column)];
}

} // namespace sw
