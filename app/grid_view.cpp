#include "app/grid_view.h"

#include "app/grid_clipboard.h"
#include "app/grid_model.h"
#include "app/qt_text.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMouseEvent>
#include <QStyledItemDelegate>

namespace sw {
namespace {

// Wrapping is a format of single cells here, not of the whole view.
class WrapDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        if (index.data(GridModel::kWrapRole).toBool())
            option->features |= QStyleOptionViewItem::WrapText;
        else
            option->features &= ~QStyleOptionViewItem::WrapText;
    }
};

std::vector<GridCell> SelectedCells(const QItemSelectionModel& selection) {
    std::vector<GridCell> cells;
    for (const QModelIndex& index : selection.selectedIndexes())
        cells.push_back({index.row() + 1, index.column()});
    return cells;
}

} // namespace

GridView::GridView(GridModel& model, QWidget* parent) : QTableView(parent), model_(model) {
    setModel(&model);
    setItemDelegate(new WrapDelegate(this));
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    setWordWrap(false);
    // Column 0 holds the row number; a second numbering would only take room.
    verticalHeader()->hide();
    // Fixed heights keep the view cheap with a hundred thousand rows.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(24);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    for (int column = 0; column < model.ColumnCount(); ++column)
        if (model.ColumnWidth(column) >= 0)
            setColumnWidth(column, model.ColumnWidth(column));
    connect(&model, &GridModel::columnWidthSet, this, [this](int column, int width) { setColumnWidth(column, width); });
}

void GridView::CopySelection() {
    const std::string text = CellsClipboardText(model_, SelectedCells(*selectionModel()));
    QGuiApplication::clipboard()->setText(ToQString(text));
}

void GridView::CutSelection() {
    const std::vector<GridCell> cells = SelectedCells(*selectionModel());
    QGuiApplication::clipboard()->setText(ToQString(CellsClipboardText(model_, cells)));
    for (const GridCell& cell : cells)
        model_.SetCellText(cell.row, cell.column, {});
}

void GridView::PasteAtCurrentCell() {
    const QModelIndex current = currentIndex();
    if (!current.isValid())
        return;
    PasteClipboardText(model_, current.row() + 1, current.column(), ToGbk(QGuiApplication::clipboard()->text()));
}

void GridView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        // The menu acts on the selection as it is: a right press must not move it.
        event->accept();
        emit rightButtonPressed(event->globalPosition().toPoint());
        return;
    }
    QTableView::mousePressEvent(event);
}

} // namespace sw
