#pragma once

// The result grid "高级表格1" on screen: a table view over the GridModel whose
// header shows the grid's row 0. It wraps the cells the model marks, applies the
// column widths the logic sets, reports a right-button press for the pop-up
// menu, and does the clipboard commands on its selection.

#include <QTableView>

namespace sw {

class GridModel;

class GridView : public QTableView {
    Q_OBJECT

public:
    explicit GridView(GridModel& model, QWidget* parent = nullptr);

    // The selected cells as clipboard text (tab between cells, CR LF after each row).
    void CopySelection();
    // Copies the selection, then empties its cells.
    void CutSelection();
    // Writes the clipboard's text into the cells from the current cell on.
    void PasteAtCurrentCell();

signals:
    // The right mouse button went down over the cells, at globalPosition.
    void rightButtonPressed(QPoint globalPosition);

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    GridModel& model_;
};

} // namespace sw
