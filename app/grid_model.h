#pragma once

// The result grid's store: a table model over rows of GBK texts with a text
// colour and a wrap flag per cell, which is also the grid as the logic sees it
// (GridPort). The grid's row 0, the header row, is the model's horizontal
// header; the grid's data row r is the model's row r - 1.

#include "shop/grid_port.h"

#include <QAbstractTableModel>

#include <string>
#include <vector>

namespace sw {

class GridModel : public QAbstractTableModel, public GridPort {
    Q_OBJECT

public:
    // Whether a cell wraps its text over several lines (bool).
    static constexpr int kWrapRole = Qt::UserRole + 1;

    explicit GridModel(int columns, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Out-of-range cells read as empty and ignore writes.
    int RowCount() const override;
    int ColumnCount() const override;
    std::string CellText(int row, int column) const override;
    void SetCellText(int row, int column, std::string_view text) override;
    void SetColumnWidth(int column, int width) override;
    void AppendRow(std::string_view firstCell) override;
    void RemoveDataRows() override;
    void ReplaceDataRows(std::vector<std::vector<std::string>> rows) override;
    void SetCellColour(int row, int column, RgbColour colour) override;
    void WrapDataRows(int column) override;

    // The width last set for a column, or -1 when none was.
    int ColumnWidth(int column) const;
    // Whether the cell has a text colour of its own, and which.
    bool HasCellColour(int row, int column) const;
    RgbColour CellColour(int row, int column) const;
    bool CellWraps(int row, int column) const;

signals:
    // The logic set a column's width; the views apply it.
    void columnWidthSet(int column, int width);

private:
    static constexpr RgbColour kNoColour = 0xFFFFFFFFu; // a Windows RGB value never has its high byte set

    struct Cell {
        std::string text;
        RgbColour colour = kNoColour;
    };

    bool IsDataCell(int row, int column) const;
    Cell& At(int row, int column) { return rows_[static_cast<size_t>(row - 1)][static_cast<size_t>(column)]; }
    const Cell& At(int row, int column) const {
        return rows_[static_cast<size_t>(row - 1)][static_cast<size_t>(column)];
    }

    int columns_;
    std::vector<std::string> header_;
    std::vector<std::vector<Cell>> rows_;
    // Wrapping only ever applies to every row present at the time and rows only
    // come at the end or go all together, so the wrapped cells of a column are
    // always its first wrapped_[column] data rows: one count per column.
    std::vector<int> wrapped_;
    std::vector<int> widths_;
};

} // namespace sw
