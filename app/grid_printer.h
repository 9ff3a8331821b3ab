#pragma once

// Printing the result grid: the columns are cut into bands that fit the page
// width, each band's rows are spread over pages under a repeated header row,
// and text keeps the size it has on screen, so a wide grid stays legible.

#include <QFont>

#include <utility>
#include <vector>

class QPagedPaintDevice;

namespace sw {

class GridModel;

struct GridPrintPlan {
    // First and last column of each band, left to right.
    std::vector<std::pair<int, int>> columnBands;
    int rowsPerPage = 1;
    // Pages per band; at least one, so an empty grid still prints its header.
    int rowPages = 1;

    int PageCount() const { return static_cast<int>(columnBands.size()) * rowPages; }
};

// Cuts columns of the given widths into bands no wider than pageWidth (a
// column wider than a page gets a band of its own) and dataRows rows of
// rowHeight into pages of pageHeight under one header row.
GridPrintPlan PlanGridPages(const std::vector<int>& columnWidths, int pageWidth, int pageHeight, int rowHeight,
                            int dataRows);

// Prints the header row and every data row of model on device, with the
// column widths given in screen pixels (1/96 inch) and font. Returns the
// number of pages printed.
int PrintGrid(const GridModel& model, const std::vector<int>& columnWidths, const QFont& font,
              QPagedPaintDevice& device);

} // namespace sw
