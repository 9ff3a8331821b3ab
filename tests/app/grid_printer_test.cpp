#include "app/grid_printer.h"

#include "app/grid_model.h"
#include "shop/result_grid.h"
#include "tests/support/temp_folder.h"

#include <QFont>
#include <QPdfWriter>

#include <gtest/gtest.h>

namespace sw {
namespace {

struct PlanCase {
    const char* name;
    std::vector<int> widths;
    int pageWidth, pageHeight, rowHeight, rows;
    std::vector<std::pair<int, int>> bands;
    int rowsPerPage, rowPages;
};

TEST(GridPrinterTest, PlanCutsColumnsIntoBandsAndRowsIntoPages) {
    const PlanCase cases[] = {
        {"all fits", {100, 100}, 300, 100, 20, 3, {{0, 1}}, 4, 1},
        {"bands by width", {100, 120, 120, 260, 80, 80}, 400, 100, 20, 0, {{0, 2}, {3, 4}, {5, 5}}, 4, 1},
        {"wide column alone", {100, 500, 100}, 400, 100, 20, 1, {{0, 0}, {1, 1}, {2, 2}}, 4, 1},
        {"rows over pages under a header", {100}, 400, 100, 20, 9, {{0, 0}}, 4, 3},
        {"exact pages", {100}, 400, 100, 20, 8, {{0, 0}}, 4, 2},
        {"page lower than two rows", {100}, 400, 30, 20, 3, {{0, 0}}, 1, 3},
    };
    for (const PlanCase& c : cases) {
        const GridPrintPlan plan = PlanGridPages(c.widths, c.pageWidth, c.pageHeight, c.rowHeight, c.rows);
        EXPECT_EQ(c.bands, plan.columnBands) << c.name;
        EXPECT_EQ(c.rowsPerPage, plan.rowsPerPage) << c.name;
        EXPECT_EQ(c.rowPages, plan.rowPages) << c.name;
        EXPECT_EQ(static_cast<int>(c.bands.size()) * c.rowPages, plan.PageCount()) << c.name;
    }
}

TEST(GridPrinterTest, PrintsEveryPageOfThePlan) {
    GridModel model(kGridColumnCount);
    SetUpResultGrid(model);
    for (int i = 0; i < 120; ++i) {
        ShopRecord shop;
        shop.sellerName = "seller" + std::to_string(i);
        shop.totalSales = std::to_string(i);
        AppendShopRow(model, shop);
    }
    const std::vector<int> widths = {100, 120, 120, 260, 80, 80, 80, 80, 80, 80, 80, 400};
    test::TempFolder folder;
    const std::filesystem::path file = folder / "grid.pdf";
    QPdfWriter pdf(QString::fromStdString(file.string()));
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setResolution(300);
    QFont font;
    font.setPixelSize(12);

    const int pages = PrintGrid(model, widths, font, pdf);

    // A4 at 96 dpi with default margins is about 700 pixels wide: the 1560
    // pixels of columns need three bands, and 121 rows need several pages each.
    EXPECT_GE(pages, 6);
    EXPECT_EQ(0, pages % 3);
    const std::string bytes = test::ReadFileBytes(file);
    size_t pageObjects = 0;
    for (size_t at = bytes.find("/Type /Page\n"); at != std::string::npos; at = bytes.find("/Type /Page\n", at + 1))
        ++pageObjects;
    EXPECT_EQ(static_cast<size_t>(pages), pageObjects);
}

} // namespace
} // namespace sw
