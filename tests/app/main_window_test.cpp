#include "app/main_window.h"

#include "app/colour_picker.h"
#include "app/grid_model.h"
#include "app/grid_view.h"
#include "app/html_view.h"
#include "app/tab_control.h"
#include "shop/result_grid.h"
#include "tests/app/test_window.h"
#include "tests/support/gbk_assert.h"
#include "tests/support/loopback_server.h"
#include "text/code_page.h"
#include "text/ini_file.h"

#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QFontDatabase>
#include <QFontInfo>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

namespace sw {
namespace {

using test::G;

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// Runs answer on the modal dialog once it is open.
void WhenModalOpens(std::function<void(QWidget&)> answer) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [poll, answer = std::move(answer)] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            poll->stop();
            poll->deleteLater();
            answer(*modal);
        }
    });
    poll->start(10);
}

std::filesystem::path Desktop() {
    return std::filesystem::path(std::getenv("HOME")) / "Desktop";
}

ShopRecord Shop(const char* seller, const char* sales, const char* items = "1", const char* rate = "") {
    ShopRecord shop;
    shop.sellerName = G(seller);
    shop.shopName = G(std::string("店") + seller);
    shop.totalSales = sales;
    shop.itemCount = items;
    shop.positiveRate = rate;
    shop.region = G("浙江 杭州");
    return shop;
}

class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest() { std::filesystem::create_directories(Desktop()); }
    ~MainWindowTest() override { std::filesystem::remove_all(Desktop()); }

    template <typename T = QWidget>
    T* Find(const char* name) {
        return window_->findChild<T*>(U(name));
    }
    QAction* Action(const char* text) {
        for (QAction* action : window_->ListMenu().actions())
            if (action->text() == U(text))
                return action;
        return nullptr;
    }
    void ShowActive() {
        window_->show();
        window_->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window_.Window()));
    }
    std::vector<std::string> Row(int row) {
        std::vector<std::string> texts;
        for (int c = 0; c < kGridColumnCount; ++c)
            texts.push_back(window_->Grid().CellText(row, c));
        return texts;
    }

    test::TestWindow window_;
};

struct ControlRow {
    const char* name;
    const char* kind;      // class name
    const char* container; // "window", a page "#0" to "#2", or a control
    QRect place;
    const char* text;  // as the form reads it
    const char* items; // "|"-separated, for lists
};

TEST_F(MainWindowTest, EveryControlHasItsNameKindPlaceAndContent) {
    const std::string homePage = test::UnreachableAddress();
    const ControlRow rows[] = {
        {"高级选择夹1", "sw::TabControl", "window", {-8, 0, 800, 652}, "", nullptr},
        // A status bar keeps to the bottom of the window's client area, 702 high offscreen.
        {"状态条1", "QStatusBar", "window", {0, 682, 792, 20}, "", nullptr},
        {"分组框1", "QGroupBox", "#0", {16, 28, 552, 128}, "抓取设置", nullptr},
        {"外形框1", "QFrame", "分组框1", {16, 24, 520, 54}, "", nullptr},
        {"标签1", "QLabel", "外形框1", {12, 15, 48, 24}, "关键词", nullptr},
        {"key", "QLineEdit", "外形框1", {74, 11, 424, 32}, "", nullptr},
        {"组合框1", "QComboBox", "分组框1", {89, 96, 100, 20}, " 默认排序", " 默认排序| 销量排序| 信用排序"},
        {"组合框2",
         "QComboBox",
         "分组框1",
         {209, 96, 100, 20},
         " 店铺类型",
         " 店铺类型| 淘宝店|    金冠店铺|    皇冠店铺|    钻级店铺|    心级店铺| 天猫| 全球购| 不限"},
        {"组合框3",
         "QComboBox",
         "分组框1",
         {329, 96, 100, 20},
         " 好评率",
         " 好评率| 100%好评| 99%以上| 98%以上| 97%以上| 96%以上| 不限"},
        {"分组框2", "QGroupBox", "#0", {576, 28, 216, 128}, "操控", nullptr},
        {"start", "QPushButton", "分组框2", {24, 48, 176, 40}, "开始采集", nullptr},
        {"分组框3", "QGroupBox", "#0", {16, 159, 536, 118}, "条件控制", nullptr},
        {"标签2", "QLabel", "分组框3", {16, 23, 64, 24}, "采集数量", nullptr},
        {"编辑框1", "QLineEdit", "分组框3", {86, 23, 48, 25}, "100", nullptr},
        {"标签3", "QLabel", "分组框3", {296, 24, 64, 24}, "采集页数", nullptr},
        {"page1", "QLineEdit", "分组框3", {360, 24, 48, 25}, "1", nullptr},
        {"标签4", "QLabel", "分组框3", {432, 29, 19, 16}, "-", nullptr},
        {"page2", "QLineEdit", "分组框3", {456, 24, 56, 25}, "1", nullptr},
        {"标签5", "QLabel", "分组框3", {21, 72, 64, 24}, "销量数", nullptr},
        {"编辑框4", "QLineEdit", "分组框3", {85, 72, 48, 25}, "1", nullptr},
        {"标签6", "QLabel", "分组框3", {157, 77, 19, 16}, "-", nullptr},
        {"编辑框5", "QLineEdit", "分组框3", {181, 72, 56, 25}, "99999999", nullptr},
        {"标签7", "QLabel", "分组框3", {297, 72, 64, 24}, "宝贝数", nullptr},
        {"编辑框6", "QLineEdit", "分组框3", {361, 72, 48, 25}, "1", nullptr},
        {"标签8", "QLabel", "分组框3", {433, 77, 19, 16}, "-", nullptr},
        {"编辑框7", "QLineEdit", "分组框3", {457, 72, 56, 25}, "9999999", nullptr},
        {"分组框4", "QGroupBox", "#0", {559, 158, 233, 118}, "", nullptr},
        {"select", "QCheckBox", "分组框4", {25, 22, 152, 24}, "采集前清空上次采集数据", nullptr},
        {"Dellist", "QPushButton", "分组框4", {25, 62, 96, 32}, "立即清空列表", nullptr},
        {"Daochu", "QPushButton", "分组框4", {128, 61, 80, 32}, "导出列表", nullptr},
        {"高级表格1", "sw::GridView", "#0", {16, 280, 776, 362}, "", nullptr},
        {"分组框5", "QGroupBox", "#1", {16, 28, 776, 168}, "显示列表-配色方案", nullptr},
        {"标签12", "QLabel", "分组框5", {24, 32, 272, 24}, "销量颜色，销量大于                 显示颜色为", nullptr},
        {"编辑框2", "QLineEdit", "分组框5", {168, 32, 48, 24}, "100", nullptr},
        {"颜色选择器3", "sw::ColourPicker", "分组框5", {303, 32, 50, 24}, "", nullptr},
        {"标签14", "QLabel", "分组框5", {24, 72, 280, 24}, "宝贝颜色，宝贝数量大于             显示颜色为", nullptr},
        {"编辑框3", "QLineEdit", "分组框5", {168, 72, 48, 24}, "200", nullptr},
        {"颜色选择器1", "sw::ColourPicker", "分组框5", {304, 72, 50, 24}, "", nullptr},
        {"标签9", "QLabel", "分组框5", {24, 112, 280, 24}, "好评颜色，当好评率大于           % 显示颜色为", nullptr},
        {"编辑框8", "QLineEdit", "分组框5", {168, 112, 48, 24}, "100", nullptr},
        {"颜色选择器2", "sw::ColourPicker", "分组框5", {304, 112, 50, 24}, "", nullptr},
        {"分组框6", "QGroupBox", "#1", {16, 204, 776, 440}, "导出", nullptr},
        {"标签10", "QLabel", "分组框6", {24, 32, 80, 24}, "导出首选路径", nullptr},
        {"编辑框9", "QLineEdit", "分组框6", {112, 30, 544, 32}, "", nullptr},
        {"按钮1", "QPushButton", "分组框6", {672, 27, 80, 32}, "浏览...", nullptr},
        {"标签11", "QLabel", "分组框6", {24, 80, 80, 24}, "导出选择", nullptr},
        {"选择列表框1",
         "QListWidget",
         "分组框6",
         {112, 80, 360, 216},
         "",
         " ID| 旺旺名称| 店铺名称| 店铺链接| 店铺销量| 店铺宝贝数| 店铺好评率| 描述相符| 服务态度| 物流服务| 发货地区| "
         "热销宝贝"},
        {"超文本浏览框1", "sw::HtmlView", "#2", {15, 29, 776, 614}, homePage.c_str(), nullptr},
    };
    FormPort& form = window_->Form();
    for (const ControlRow& row : rows) {
        SCOPED_TRACE(row.name);
        const QList<QWidget*> named = window_->findChildren<QWidget*>(U(row.name));
        ASSERT_EQ(1, named.size()) << "one control carries the name";
        QWidget* widget = named.front();
        EXPECT_STREQ(row.kind, widget->metaObject()->className());
        const std::string container = row.container;
        QWidget* expectedParent = container == "window" ? &window_.Window()
                                  : container[0] == '#' ? window_->Tabs().Page(container[1] - '0')
                                                        : Find(row.container);
        EXPECT_EQ(expectedParent, widget->parentWidget());
        EXPECT_EQ(row.place, widget->geometry());
        EXPECT_GBK_EQ(G(row.text), form.Text(G(row.name)));
        if (row.items == nullptr)
            continue;
        std::vector<std::string> expected;
        for (const QString& item : U(row.items).split(QLatin1Char('|')))
            expected.push_back(G(item.toStdString()));
        std::vector<std::string> actual;
        if (auto* list = qobject_cast<QListWidget*>(widget)) {
            ASSERT_EQ(static_cast<int>(expected.size()), form.CheckItemCount(G(row.name)));
            for (int i = 0; i < list->count(); ++i) {
                actual.push_back(G(list->item(i)->text().toStdString()));
                EXPECT_TRUE(list->item(i)->flags() & Qt::ItemIsUserCheckable);
                EXPECT_FALSE(form.IsItemChecked(G(row.name), i));
            }
        } else {
            for (const ListItem& item : form.Items(G(row.name))) {
                actual.push_back(item.text);
                EXPECT_EQ(0, item.value);
            }
            EXPECT_EQ(0, form.SelectedIndex(G(row.name)));
        }
        EXPECT_EQ(expected, actual);
    }
    EXPECT_TRUE(Find<GridView>("高级表格1")->inherits("QTableView"));
    EXPECT_TRUE(Find<HtmlView>("超文本浏览框1")->inherits("QTextBrowser"));
}

TEST_F(MainWindowTest, TabControlHasThreePagesInAChineseFont) {
    TabControl& tabs = window_->Tabs();
    ASSERT_EQ(3, tabs.PageCount());
    EXPECT_EQ(U("首页"), tabs.PageCaption(0));
    EXPECT_EQ(U("设置"), tabs.PageCaption(1));
    EXPECT_EQ(U("关于软件"), tabs.PageCaption(2));
    EXPECT_EQ(0, tabs.CurrentIndex());
    EXPECT_FALSE(tabs.Page(0)->isHidden());
    EXPECT_TRUE(tabs.Page(1)->isHidden());

    EXPECT_EQ(QStringLiteral("SimSun"), tabs.font().families().value(0));
    const QString resolved = QFontInfo(tabs.font()).family();
    EXPECT_TRUE(resolved == QStringLiteral("SimSun") ||
                QFontDatabase::writingSystems(resolved).contains(QFontDatabase::SimplifiedChinese))
        << resolved.toStdString() << " cannot show Chinese";
}

TEST_F(MainWindowTest, ColourRowsKeepTheirTextClearOfTheBoxesLaidOverTheBlanks) {
    const char* rows[][3] = {{"标签12", "编辑框2", "颜色选择器3"},
                             {"标签14", "编辑框3", "颜色选择器1"},
                             {"标签9", "编辑框8", "颜色选择器2"}};
    for (const auto& [labelName, editName, pickerName] : rows) {
        SCOPED_TRACE(labelName);
        auto* label = Find<QLabel>(labelName);
        const QRect edit = Find(editName)->geometry();
        const QRect picker = Find(pickerName)->geometry();
        const QString text = label->text();
        const qsizetype blanks = text.indexOf(QStringLiteral("  "));
        qsizetype after = blanks;
        while (text[after] == QLatin1Char(' '))
            ++after;
        const QFontMetrics metrics(label->font());
        EXPECT_LE(label->x() + metrics.horizontalAdvance(text.left(blanks)), edit.left());
        EXPECT_GE(label->x() + metrics.horizontalAdvance(text.left(after)), edit.right());
        EXPECT_LE(label->x() + metrics.horizontalAdvance(text), picker.left());
    }
}

TEST_F(MainWindowTest, StatusBarHasAHintPaneAndTheVersion) {
    EXPECT_EQ(QString(), window_->StatusPaneText(0));
    EXPECT_EQ(QStringLiteral("V1.0.0.0"), window_->StatusPaneText(1));
    window_->Form().ShowHint(G("采集完成"));
    EXPECT_EQ(U("   提示：采集完成"), window_->StatusPaneText(0));
    EXPECT_EQ(QStringLiteral("V1.0.0.0"), window_->StatusPaneText(1));
    const QList<QLabel*> panes = Find("状态条1")->findChildren<QLabel*>();
    ASSERT_EQ(2, panes.size());
    EXPECT_EQ(720, panes[0]->width());
}

TEST_F(MainWindowTest, FocusShowsEachControlsHint) {
    const char* hints[][2] = {
        {"key", "输入一给关键词搜寻店铺。"},
        {"组合框1", "选择一个查询排序方式。"},
        {"组合框2", "店铺类型。"},
        {"组合框3", "店铺好评程度。"},
        {"编辑框1", "采集店铺条数。"},
        {"page1", "采集起始页数。"},
        {"page2", "当采集达到了该页数将停止任务。"},
        {"编辑框4", "店铺起始销量。"},
        {"编辑框5", "店铺最高销量，超过了该销量将不采集。"},
        {"编辑框6", "店铺宝贝起始数量。"},
        {"编辑框7", "店铺最高宝贝数量，超过了该数量将不采集。"},
        {"高级表格1", "支持多选操作，右键弹出菜单。"},
    };
    ShowActive();
    for (const auto& [control, hint] : hints) {
        Find("select")->setFocus(Qt::OtherFocusReason); // no hint of its own: the last one stays
        Find(control)->setFocus(Qt::OtherFocusReason);
        ASSERT_TRUE(Find(control)->hasFocus()) << control;
        EXPECT_EQ(U("   提示：") + U(hint), window_->StatusPaneText(0)) << control;
        EXPECT_EQ(QStringLiteral("V1.0.0.0"), window_->StatusPaneText(1));
    }
    Find("Dellist")->setFocus(Qt::OtherFocusReason);
    EXPECT_EQ(U("   提示：支持多选操作，右键弹出菜单。"), window_->StatusPaneText(0));
}

TEST_F(MainWindowTest, ListMenuHoldsTheGridCommands) {
    QMenu& menu = window_->ListMenu();
    EXPECT_EQ(U("列表菜单"), menu.objectName());
    QStringList texts;
    for (QAction* action : menu.actions())
        texts.append(action->isSeparator() ? QStringLiteral("-") : action->text());
    EXPECT_EQ(QStringList({U("复制选中"), U("剪切选中"), U("粘贴"), QStringLiteral("-"), U("打印"), U("打印预览")}),
              texts);
}

TEST_F(MainWindowTest, CopyCutAndPasteGoThroughTheClipboard) {
    GridModel& grid = window_->Grid();
    AppendShopRow(grid, Shop("甲", "10"));
    AppendShopRow(grid, Shop("乙", "20"));
    AppendShopRow(grid, Shop("丙", "30"));
    GridView& view = window_->ResultGrid();
    QClipboard& clipboard = *QGuiApplication::clipboard();

    view.selectionModel()->select(QItemSelection(grid.index(0, 1), grid.index(1, 2)), QItemSelectionModel::Select);
    Action("复制选中")->trigger();
    EXPECT_EQ(U("甲\t店甲\r\n乙\t店乙\r\n"), clipboard.text());
    EXPECT_EQ(U("   提示：复制成功"), window_->StatusPaneText(0));

    view.selectionModel()->select(grid.index(2, 4), QItemSelectionModel::ClearAndSelect);
    Action("剪切选中")->trigger();
    EXPECT_EQ(QStringLiteral("30\r\n"), clipboard.text());
    EXPECT_EQ("", grid.CellText(3, 4));

    clipboard.setText(U("新\t旧\r\n上\r\n"));
    view.setCurrentIndex(grid.index(1, 1));
    Action("粘贴")->trigger();
    EXPECT_EQ((std::vector<std::string>{"2", G("新"), G("旧"), "", "20", "1", "", "", "", "", G("浙江 杭州"), ""}),
              Row(2));
    EXPECT_GBK_EQ(G("上"), grid.CellText(3, 1));
    EXPECT_EQ(U("   提示：粘贴成功"), window_->StatusPaneText(0));
}

TEST_F(MainWindowTest, RightButtonOverTheGridPopsUpTheMenu) {
    AppendShopRow(window_->Grid(), Shop("甲", "10"));
    ShowActive();
    GridView& view = window_->ResultGrid();
    view.selectionModel()->select(window_->Grid().index(0, 1), QItemSelectionModel::Select);
    QTest::mousePress(view.viewport(), Qt::RightButton, {}, QPoint(200, 10));
    EXPECT_TRUE(window_->ListMenu().isVisible());
    EXPECT_TRUE(view.selectionModel()->isSelected(window_->Grid().index(0, 1))) << "the selection stays for the menu";
    window_->ListMenu().close();
}

TEST_F(MainWindowTest, PrintCommandsOpenThePrintDialogAndThePreview) {
    AppendShopRow(window_->Grid(), Shop("甲", "10"));
    QString opened;
    int previewPages = 0;
    WhenModalOpens([&](QWidget& modal) {
        opened = QString::fromLatin1(modal.metaObject()->className());
        dynamic_cast<QDialog&>(modal).reject();
    });
    Action("打印")->trigger();
    EXPECT_TRUE(opened.contains(QStringLiteral("PrintDialog"))) << opened.toStdString();

    WhenModalOpens([&](QWidget& modal) {
        opened = QString::fromLatin1(modal.metaObject()->className());
        if (auto* preview = modal.findChild<QPrintPreviewWidget*>())
            previewPages = preview->pageCount();
        dynamic_cast<QDialog&>(modal).reject();
    });
    Action("打印预览")->trigger();
    EXPECT_EQ(QStringLiteral("QPrintPreviewDialog"), opened);
    EXPECT_GE(previewPages, 2) << "the grid is wider than a page";
}

TEST_F(MainWindowTest, ClearButtonEmptiesTheGridAndKeepsItsHeaderAndWidths) {
    for (const char* seller : {"甲", "乙", "丙"})
        AppendShopRow(window_->Grid(), Shop(seller, "10"));
    ShowActive();
    QTest::mouseClick(Find("Dellist"), Qt::LeftButton);
    EXPECT_EQ(1, window_->Grid().RowCount());
    EXPECT_EQ("ID", window_->Grid().CellText(0, 0));
    EXPECT_EQ(260, window_->ResultGrid().columnWidth(3));
    EXPECT_EQ(400, window_->ResultGrid().columnWidth(11));
}

TEST_F(MainWindowTest, HeaderClicksSortThroughTheView) {
    AppendShopRow(window_->Grid(), Shop("甲", "5"));
    AppendShopRow(window_->Grid(), Shop("乙", "50"));
    AppendShopRow(window_->Grid(), Shop("丙", "7"));
    ShowActive();
    QHeaderView& header = *window_->ResultGrid().horizontalHeader();
    const auto click = [&header](int column) {
        QTest::mouseClick(header.viewport(), Qt::LeftButton, {},
                          QPoint(header.sectionViewportPosition(column) + 10, header.height() / 2));
    };
    const auto sellers = [this] {
        return std::vector<std::string>{window_->Grid().CellText(1, 1), window_->Grid().CellText(2, 1),
                                        window_->Grid().CellText(3, 1)};
    };

    click(4);
    EXPECT_EQ(U("店铺销量↑"), window_->Grid().headerData(4, Qt::Horizontal).toString());
    EXPECT_EQ((std::vector<std::string>{G("乙"), G("丙"), G("甲")}), sellers());
    click(4);
    EXPECT_EQ(U("店铺销量↓"), window_->Grid().headerData(4, Qt::Horizontal).toString());
    EXPECT_EQ((std::vector<std::string>{G("甲"), G("丙"), G("乙")}), sellers());
    click(2);
    EXPECT_EQ(U("店铺名称"), window_->Grid().headerData(2, Qt::Horizontal).toString());
    EXPECT_EQ((std::vector<std::string>{G("甲"), G("丙"), G("乙")}), sellers()) << "column 2 does not sort";
}

TEST_F(MainWindowTest, MarkedCellsTakeThePickersOfTheirRows) {
    FormPort& form = window_->Form();
    form.SetColour(G("颜色选择器3"), 0x0000FF);
    form.SetColour(G("颜色选择器1"), 0x00FF00);
    form.SetColour(G("颜色选择器2"), 0xFF0000);
    EXPECT_EQ(0x00FF00u, form.Colour(G("颜色选择器1")));
    const ShopRecord shop = Shop("甲", "150", "250", "100.00%");
    AppendShopRow(window_->Grid(), shop);
    MarkShopRow(form, shop, "100", "200", "100");
    const GridModel& grid = window_->Grid();
    EXPECT_EQ(QColor(255, 0, 0), grid.data(grid.index(0, 4), Qt::ForegroundRole).value<QColor>()) << "sales";
    EXPECT_EQ(QColor(0, 255, 0), grid.data(grid.index(0, 5), Qt::ForegroundRole).value<QColor>()) << "items";
    EXPECT_EQ(QColor(0, 0, 255), grid.data(grid.index(0, 6), Qt::ForegroundRole).value<QColor>()) << "rate";
}

TEST_F(MainWindowTest, ColourPickerChoosesThroughTheColourDialog) {
    auto* picker = Find<ColourPicker>("颜色选择器1");
    WhenModalOpens([](QWidget& modal) {
        auto& dialog = dynamic_cast<QColorDialog&>(modal);
        dialog.setCurrentColor(QColor(0x10, 0x20, 0x30));
        dialog.accept();
    });
    picker->click();
    EXPECT_EQ(0x302010u, window_->Form().Colour(G("颜色选择器1")));

    WhenModalOpens([](QWidget& modal) { dynamic_cast<QDialog&>(modal).reject(); });
    picker->click();
    EXPECT_EQ(0x302010u, picker->Colour()) << "a cancelled dialog keeps the colour";
}

TEST_F(MainWindowTest, WindowHasItsTitlePlaceAndSize) {
    ShowActive();
    EXPECT_EQ(U("Stallwatch-Quillmark-Voskar软件"), window_->windowTitle());
    // The outer geometry counts the frame; the offscreen platform draws a thin one.
    EXPECT_EQ(QRect(50, 50, 798, 702), window_->frameGeometry());
    EXPECT_EQ(window_->frameGeometry() - window_->windowHandle()->frameMargins(), window_->geometry());
}

TEST_F(MainWindowTest, FormReadsAndWritesControlsByName) {
    FormPort& form = window_->Form();
    form.SetText(G("key"), G("连衣裙"));
    EXPECT_GBK_EQ(G("连衣裙"), form.Text(G("key")));
    form.SetText(G("start"), G("采集中.."));
    EXPECT_GBK_EQ(G("采集中.."), form.Text(G("start")));
    form.SetEnabled(G("start"), false);
    EXPECT_FALSE(Find("start")->isEnabled());
    EXPECT_FALSE(form.IsChecked(G("select")));
    form.SetItems(G("组合框1"), {{G("甲"), 3}, {G("乙"), -7}});
    EXPECT_EQ(-1, form.SelectedIndex(G("组合框1"))) << "replaced items leave none selected";
    form.SetSelectedIndex(G("组合框1"), 1);
    EXPECT_GBK_EQ(G("乙"), form.Text(G("组合框1")));
    const std::vector<ListItem> items = form.Items(G("组合框1"));
    ASSERT_EQ(2u, items.size());
    EXPECT_EQ(-7, items[1].value);
    form.SetItemChecked(G("选择列表框1"), 3, true);
    EXPECT_TRUE(form.IsItemChecked(G("选择列表框1"), 3));
    EXPECT_EQ("", form.Text(G("不存在")));
    EXPECT_EQ(-1, form.SelectedIndex(G("key"))) << "not a list";
}

// Records what the window asks of the settings store.
class RecordingLifecycle : public WindowLifecycle {
public:
    void RestoreSettings(FormPort& form, const ProgramPaths& paths) override {
        calls.push_back("restore");
        gridSetUp = form.Grid().CellText(0, 0) == "ID";
        shortcutBeforeRestore = std::filesystem::exists(Desktop() / "Stallwatch.desktop");
        settingsFile = paths.settingsFile;
    }
    void SaveSettings(FormPort& form, const ProgramPaths&) override {
        calls.push_back("save");
        savedKey = form.Text(G("key"));
    }
    void ExportChoicesChanged(FormPort& form, const ProgramPaths&) override {
        calls.push_back("choices " + std::to_string(form.IsItemChecked(G("选择列表框1"), 2)));
    }

    std::vector<std::string> calls;
    bool gridSetUp = false;
    bool shortcutBeforeRestore = false;
    std::filesystem::path settingsFile;
    std::string savedKey;
};

TEST_F(MainWindowTest, CreationPreparesTheDataFolderAndSettingsFile) {
    const ProgramPaths& paths = window_->Paths();
    EXPECT_TRUE(std::filesystem::is_directory(window_.ProgramFolder() / "db"));
    EXPECT_EQ((window_.ProgramFolder() / "db").string() + "/", paths.dataFolder.string());
    EXPECT_EQ((window_.ProgramFolder() / "db").string() + "/zedozode.cfg", paths.settingsFile.string());
}

TEST_F(MainWindowTest, ShortcutIsWrittenUntilTheSettingsMarkIt) {
    struct Case {
        const char* name;
        const char* settings; // nullptr: no settings file
        bool shortcut;
        bool restored;
    };
    const Case cases[] = {
        {"first run", nullptr, true, false},
        {"second run, no marker yet", "[DorUzuZede]\ncolor_1=255\n", true, true},
        {"empty marker", "[DorUzuZede]\nonehome=\n", true, true},
        {"marked", "[DorUzuZede]\nonehome=1\n", false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(Desktop() / "Stallwatch.desktop");
        RecordingLifecycle lifecycle;
        test::TestWindow window(false);
        if (c.settings != nullptr) {
            std::filesystem::create_directories(window.ProgramFolder() / "db");
            test::WriteFileBytes(window.ProgramFolder() / "db" / "zedozode.cfg", c.settings);
        }
        window.Create(&lifecycle);
        const std::string launcher = test::ReadFileBytes(Desktop() / "Stallwatch.desktop");
        EXPECT_EQ(c.shortcut, !launcher.empty());
        if (c.shortcut) {
            EXPECT_NE(std::string::npos, launcher.find("Comment=Stallwatch-Voskar软件，官网：https://maker.example\n"));
            EXPECT_NE(std::string::npos, launcher.find("Path=" + window.ProgramFolder().string() + "\n"));
        }
        EXPECT_EQ(c.restored ? std::vector<std::string>{"restore"} : std::vector<std::string>{}, lifecycle.calls);
        if (c.restored) {
            EXPECT_TRUE(lifecycle.gridSetUp) << "the grid is set up before the restore";
            EXPECT_EQ(c.shortcut, lifecycle.shortcutBeforeRestore) << "the shortcut comes before the restore";
            EXPECT_EQ(window->Paths().settingsFile, lifecycle.settingsFile);
        }
        window.Destroy();
    }
}

TEST_F(MainWindowTest, SettingsAreSavedOnDestructionAndExportChoicesAtOnce) {
    RecordingLifecycle lifecycle;
    test::TestWindow window(true, &lifecycle);
    window->Form().SetItemChecked(G("选择列表框1"), 5, true);
    EXPECT_EQ(std::vector<std::string>{}, lifecycle.calls) << "a change through the form is no user's change";

    auto* list = window->findChild<QListWidget*>(U("选择列表框1"));
    list->item(2)->setCheckState(Qt::Checked); // as a click on its box does
    EXPECT_EQ(std::vector<std::string>{"choices 1"}, lifecycle.calls);

    window->Form().SetText(G("key"), G("茶叶"));
    window.Destroy();
    EXPECT_EQ((std::vector<std::string>{"choices 1", "save"}), lifecycle.calls);
    EXPECT_GBK_EQ(G("茶叶"), lifecycle.savedKey);
}

TEST_F(MainWindowTest, AboutPageIsFetchedWhenFirstShown) {
    test::LoopbackServer server;
    const std::string page = "<html><head><meta charset=\"utf-8\"></head><body><p>关于我们</p></body></html>";
    server.Answer("HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: " +
                  std::to_string(page.size()) + "\r\nConnection: close\r\n\r\n" + page);
    test::TestWindow window(false);
    window.Create(nullptr, server.Url("/pinglun.html"));
    window->show();
    QApplication::processEvents();
    EXPECT_EQ(0, server.Connections()) << "nothing is fetched before the page is shown";
    EXPECT_GBK_EQ(server.Url("/pinglun.html"), window->Form().Text(G("超文本浏览框1")));

    QSignalSpy loaded(&window->AboutView(), &HtmlView::pageLoaded);
    window->Tabs().SetCurrentIndex(2);
    ASSERT_TRUE(loaded.wait(5000));
    EXPECT_TRUE(loaded.front().front().toBool());
    EXPECT_TRUE(window->AboutView().toPlainText().contains(U("关于我们")))
        << window->AboutView().toPlainText().toStdString();

    window->Tabs().SetCurrentIndex(0);
    window->Tabs().SetCurrentIndex(2);
    QApplication::processEvents();
    EXPECT_EQ(1, server.Connections()) << "shown again, the page is not fetched again";
}

TEST_F(MainWindowTest, RightClickOnTheAboutPageOpensNoMenu) {
    ShowActive();
    QSignalSpy loaded(&window_->AboutView(), &HtmlView::pageLoaded);
    window_->Tabs().SetCurrentIndex(2);
    ASSERT_TRUE(loaded.wait(5000));
    EXPECT_FALSE(loaded.front().front().toBool()) << "the address refuses connections";

    // Through the window system, which turns a right press into a context-menu request too.
    QWidget* viewport = window_->AboutView().viewport();
    QTest::mouseClick(window_->windowHandle(), Qt::RightButton, {},
                      viewport->mapTo(&window_.Window(), QPoint(100, 100)));
    QApplication::processEvents();
    QWidget* popup = QApplication::activePopupWidget();
    EXPECT_EQ(nullptr, popup);
    if (popup != nullptr)
        popup->close();
}

} // namespace
} // namespace sw
