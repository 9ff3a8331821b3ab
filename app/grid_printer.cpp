#include "app/grid_printer.h"

#include "app/grid_model.h"
#include "app/rgb_colour.h"

#include <QFontMetrics>
#include <QPagedPaintDevice>
#include <QPainter>

#include <algorithm>

namespace sw {
namespace {

constexpr double kScreenDpi = 96.0;
constexpr int kCellPadding = 4;

void PaintCell(QPainter& painter, const QRect& cell, const QString& text, const QColor& colour, bool header) {
    if (header)
        painter.fillRect(cell, QColor(230, 230, 230));
    painter.setPen(QPen(QColor(160, 160, 160), 0));
    painter.drawRect(cell);
    const QRect inner = cell.adjusted(kCellPadding, 0, -kCellPadding, 0);
    const QString shown = painter.fontMetrics().elidedText(text, Qt::ElideRight, inner.width());
    painter.setPen(colour);
    painter.drawText(inner, Qt::AlignVCenter | (header ? Qt::AlignHCenter : Qt::AlignLeft), shown);
}

} // namespace

GridPrintPlan PlanGridPages(const std::vector<int>& columnWidths, int pageWidth, int pageHeight, int rowHeight,
                            int dataRows) {
    GridPrintPlan plan;
    int bandStart = 0;
    int bandWidth = 0;
    for (int c = 0; c < static_cast<int>(columnWidths.size()); ++c) {
        const int width = columnWidths[static_cast<size_t>(c)];
        if (c > bandStart && bandWidth + width > pageWidth) {
            plan.columnBands.emplace_back(bandStart, c - 1);
            bandStart = c;
            bandWidth = 0;
        }
        bandWidth += width;
    }
    if (!columnWidths.empty())
        plan.columnBands.emplace_back(bandStart, static_cast<int>(columnWidths.size()) - 1);
    plan.rowsPerPage = std::max(1, pageHeight / std::max(1, rowHeight) - 1);
    plan.rowPages = std::max(1, (dataRows + plan.rowsPerPage - 1) / plan.rowsPerPage);
    return plan;
}

int PrintGrid(const GridModel& model, const std::vector<int>& columnWidths, const QFont& font,
              QPagedPaintDevice& device) {
    QPainter painter;
    if (!painter.begin(&device))
        return 0;
    // Work in screen pixels so the print keeps the grid's on-screen proportions.
    const double scale = device.logicalDpiX() / kScreenDpi;
    painter.scale(scale, scale);
    painter.setFont(font);
    const int pageWidth = static_cast<int>(device.width() / scale);
    const int pageHeight = static_cast<int>(device.height() / scale);
    const int rowHeight = painter.fontMetrics().height() + 2 * kCellPadding;
    std::vector<int> widths = columnWidths;
    for (int& width : widths)
        width = std::min(std::max(width, 1), pageWidth);
    const int dataRows = model.RowCount() - 1;
    const GridPrintPlan plan = PlanGridPages(widths, pageWidth, pageHeight, rowHeight, dataRows);

    bool firstPage = true;
    for (const auto& [firstColumn, lastColumn] : plan.columnBands) {
        for (int page = 0; page < plan.rowPages; ++page) {
            if (!firstPage)
                device.newPage();
            firstPage = false;
            const int firstRow = page * plan.rowsPerPage;
            const int lastRow = std::min(dataRows, firstRow + plan.rowsPerPage);
            for (int r = -1; r < lastRow - firstRow; ++r) {
                const int gridRow = r < 0 ? 0 : firstRow + r + 1;
                const int top = (r + 1) * rowHeight;
                int left = 0;
                for (int c = firstColumn; c <= lastColumn; ++c) {
                    const int width = widths[static_cast<size_t>(c)];
                    const QRect cell(left, top, width, rowHeight);
                    const QColor colour =
                        model.HasCellColour(gridRow, c) ? ToQColor(model.CellColour(gridRow, c)) : QColor(Qt::black);
                    const QString text = gridRow == 0 ? model.headerData(c, Qt::Horizontal).toString()
                                                      : model.data(model.index(gridRow - 1, c)).toString();
                    PaintCell(painter, cell, text, colour, gridRow == 0);
                    left += width;
                }
            }
        }
    }
    painter.end();
    return plan.PageCount();
}

} // namespace sw
