#include "app/grid_model.h"

#include "shop/result_grid.h"
#include "tests/support/gbk_assert.h"

#include <QAbstractItemModelTester>
#include <QColor>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace sw {
namespace {

using test::G;

// Turns the model tester's complaints into test failures.
class ModelTesterFailures {
public:
    ModelTesterFailures() { previous_ = qInstallMessageHandler(&Handle); }
    ~ModelTesterFailures() { qInstallMessageHandler(previous_); }

private:
    static void Handle(QtMsgType, const QMessageLogContext&, const QString& message) {
        if (message.contains(QStringLiteral("FAIL")))
            ADD_FAILURE() << "QAbstractItemModelTester: " << message.toStdString();
    }
    QtMessageHandler previous_ = nullptr;
};

ShopRecord Shop(const std::string& seller, const std::string& sales) {
    ShopRecord shop;
    shop.sellerName = seller;
    shop.shopName = G("店铺") + seller;
    shop.totalSales = sales;
    shop.region = G("浙江 杭州");
    return shop;
}

class GridModelTest : public ::testing::Test {
protected:
    GridModelTest() { SetUpResultGrid(model_); }

    GridModel model_{kGridColumnCount};
};

TEST_F(GridModelTest, KeepsTheModelContractThroughEveryGridOperation) {
    ModelTesterFailures failures;
    QAbstractItemModelTester tester(&model_, QAbstractItemModelTester::FailureReportingMode::Warning);
    for (int i = 0; i < 20; ++i)
        AppendShopRow(model_, Shop("s" + std::to_string(i), std::to_string(i * 7 % 13)));
    model_.SetCellColour(3, 4, 0x0000FF);
    SortByColumn(model_, 4, true);
    OnGridHeaderClick(model_, 0, 5);
    EXPECT_TRUE(model_.setData(model_.index(0, 2), QString::fromUtf8("新名字")));
    ClearResults(model_);
    AppendShopRow(model_, Shop("again", "1"));
}

TEST_F(GridModelTest, HeaderRowIsTheHorizontalHeaderAndCountsInTheRowCount) {
    EXPECT_EQ(1, model_.RowCount());
    EXPECT_EQ(0, model_.rowCount());
    EXPECT_EQ(QString::fromUtf8("店铺销量"), model_.headerData(4, Qt::Horizontal).toString());
    EXPECT_GBK_EQ(G("店铺销量"), model_.CellText(0, 4));

    QSignalSpy headerChanged(&model_, &QAbstractItemModel::headerDataChanged);
    model_.SetCellText(0, 4, G("店铺销量↑"));
    ASSERT_EQ(1, headerChanged.count());
    EXPECT_EQ(QString::fromUtf8("店铺销量↑"), model_.headerData(4, Qt::Horizontal).toString());

    AppendShopRow(model_, Shop("a", "5"));
    EXPECT_EQ(2, model_.RowCount());
    EXPECT_EQ(1, model_.rowCount());
    EXPECT_EQ(QStringLiteral("1"), model_.data(model_.index(0, 0)).toString());
    EXPECT_EQ(QString::fromUtf8("店铺a"), model_.data(model_.index(0, 2)).toString());
}

TEST_F(GridModelTest, OutOfRangeCellsReadEmptyAndIgnoreWrites) {
    AppendShopRow(model_, Shop("a", "5"));
    model_.SetCellText(2, 1, "x");
    model_.SetCellText(1, 12, "x");
    model_.SetCellColour(0, 4, 0xFF);
    EXPECT_EQ("", model_.CellText(2, 1));
    EXPECT_EQ("", model_.CellText(1, -1));
    EXPECT_EQ(2, model_.RowCount());
    EXPECT_FALSE(model_.HasCellColour(0, 4));
}

TEST_F(GridModelTest, CellColourIsAWindowsRgbValueShownAsTheTextColour) {
    AppendShopRow(model_, Shop("a", "5"));
    EXPECT_FALSE(model_.data(model_.index(0, 4), Qt::ForegroundRole).isValid());
    model_.SetCellColour(1, 4, 0x804020); // red 0x20, green 0x40, blue 0x80
    EXPECT_EQ(QColor(0x20, 0x40, 0x80), model_.data(model_.index(0, 4), Qt::ForegroundRole).value<QColor>());
    EXPECT_FALSE(model_.data(model_.index(0, 5), Qt::ForegroundRole).isValid()) << "one cell, not the row";
    EXPECT_FALSE(model_.data(model_.index(0, 4), Qt::BackgroundRole).isValid()) << "text, not background";
}

TEST_F(GridModelTest, WrappingReachesEachRowOnceSoAppendsStayConstantTime) {
    QSignalSpy changed(&model_, &QAbstractItemModel::dataChanged);
    for (int i = 0; i < 50; ++i)
        AppendShopRow(model_, Shop("s", "1"));
    int wrapSignals = 0;
    for (const QList<QVariant>& signal : changed) {
        if (!signal[2].value<QList<int>>().contains(GridModel::kWrapRole))
            continue;
        ++wrapSignals;
        EXPECT_EQ(signal[0].value<QModelIndex>(), signal[1].value<QModelIndex>()) << "only the appended row changes";
        EXPECT_EQ(kRegionColumn, signal[0].value<QModelIndex>().column());
    }
    EXPECT_EQ(50, wrapSignals);
    for (int row = 1; row <= 50; ++row) {
        EXPECT_TRUE(model_.data(model_.index(row - 1, kRegionColumn), GridModel::kWrapRole).toBool()) << row;
        EXPECT_FALSE(model_.data(model_.index(row - 1, kRegionColumn - 1), GridModel::kWrapRole).toBool()) << row;
    }

    model_.AppendRow("51");
    EXPECT_FALSE(model_.CellWraps(51, kRegionColumn)) << "a row appended after the wrap does not wrap";
    model_.WrapDataRows(kRegionColumn);
    EXPECT_TRUE(model_.CellWraps(51, kRegionColumn));
}

TEST_F(GridModelTest, SortAndClearDropColoursAndFormats) {
    AppendShopRow(model_, Shop("a", "5"));
    AppendShopRow(model_, Shop("b", "9"));
    model_.SetCellColour(2, 4, 0xFF);
    SortByColumn(model_, 4, true);
    EXPECT_EQ("b", model_.CellText(1, 1));
    EXPECT_EQ("1", model_.CellText(1, 0));
    EXPECT_FALSE(model_.HasCellColour(1, 4));
    EXPECT_FALSE(model_.CellWraps(1, kRegionColumn));

    model_.SetCellColour(1, 4, 0xFF);
    ClearResults(model_);
    EXPECT_EQ(1, model_.RowCount());
    EXPECT_EQ("ID", model_.CellText(0, 0));
    AppendShopRow(model_, Shop("c", "1"));
    EXPECT_EQ("1", model_.CellText(1, 0));
    EXPECT_FALSE(model_.HasCellColour(1, 4));
}

TEST_F(GridModelTest, EditingStoresGbkText) {
    AppendShopRow(model_, Shop("a", "5"));
    EXPECT_TRUE(model_.flags(model_.index(0, 3)) & Qt::ItemIsEditable);
    EXPECT_TRUE(model_.setData(model_.index(0, 3), QString::fromUtf8("杭州·西湖")));
    EXPECT_GBK_EQ(G("杭州·西湖"), model_.CellText(1, 3));
    EXPECT_FALSE(model_.setData(model_.index(0, 3), QStringLiteral("x"), Qt::DisplayRole));
}

TEST_F(GridModelTest, ColumnWidthsAreKeptAndAnnounced) {
    EXPECT_EQ(-1, model_.ColumnWidth(0)) << "column 0 keeps the view's default";
    EXPECT_EQ(260, model_.ColumnWidth(3));
    QSignalSpy widthSet(&model_, &GridModel::columnWidthSet);
    model_.SetColumnWidth(2, 150);
    ASSERT_EQ(1, widthSet.count());
    EXPECT_EQ(QList<QVariant>({2, 150}), widthSet.front());
    EXPECT_EQ(150, model_.ColumnWidth(2));
}

} // namespace
} // namespace sw
