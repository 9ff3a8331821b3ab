#include "app/main_window.h"

#include "app/chinese_font.h"
#include "app/colour_picker.h"
#include "app/desktop_shortcut.h"
#include "app/grid_model.h"
#include "app/grid_printer.h"
#include "app/grid_view.h"
#include "app/html_view.h"
#include "app/qt_dialogs.h"
#include "app/qt_form.h"
#include "app/qt_text.h"
#include "app/tab_control.h"
#include "shop/result_grid.h"
#include "text/code_page.h"
#include "text/ini_file.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QStatusBar>
#include <QWindow>

#include <system_error>

namespace sw {
namespace {

constexpr QPoint kWindowPlace(50, 50);
constexpr QSize kWindowOuterSize(798, 702);
constexpr QSize kStatusBarSize(792, 20);
constexpr int kHintPaneWidth = 720;

enum class Kind { GroupBox, Frame, Label, Edit, DropDown, Button, CheckBox, CheckList, Picker };

// One control of a page: its container is a page ("#0", "#1", "#2") or
// another control's name. Items are separated by "|".
struct Control {
    Kind kind;
    const char* name;
    const char* container;
    QRect place;
    const char* text;
};

constexpr Control kControls[] = {
    // Page "首页".
    {Kind::GroupBox, "分组框1", "#0", {16, 28, 552, 128}, "抓取设置"},
    {Kind::Frame, "外形框1", "分组框1", {16, 24, 520, 54}, ""},
    {Kind::Label, "标签1", "外形框1", {12, 15, 48, 24}, "关键词"},
    {Kind::Edit, "key", "外形框1", {74, 11, 424, 32}, ""},
    {Kind::DropDown, "组合框1", "分组框1", {89, 96, 100, 20}, " 默认排序| 销量排序| 信用排序"},
    {Kind::DropDown,
     "组合框2",
     "分组框1",
     {209, 96, 100, 20},
     " 店铺类型| 淘宝店|    金冠店铺|    皇冠店铺|    钻级店铺|    心级店铺| 天猫| 全球购| 不限"},
    {Kind::DropDown,
     "组合框3",
     "分组框1",
     {329, 96, 100, 20},
     " 好评率| 100%好评| 99%以上| 98%以上| 97%以上| 96%以上| 不限"},
    {Kind::GroupBox, "分组框2", "#0", {576, 28, 216, 128}, "操控"},
    {Kind::Button, "start", "分组框2", {24, 48, 176, 40}, "开始采集"},
    {Kind::GroupBox, "分组框3", "#0", {16, 159, 536, 118}, "条件控制"},
    {Kind::Label, "标签2", "分组框3", {16, 23, 64, 24}, "采集数量"},
    {Kind::Edit, "编辑框1", "分组框3", {86, 23, 48, 25}, "100"},
    {Kind::Label, "标签3", "分组框3", {296, 24, 64, 24}, "采集页数"},
    {Kind::Edit, "page1", "分组框3", {360, 24, 48, 25}, "1"},
    {Kind::Label, "标签4", "分组框3", {432, 29, 19, 16}, "-"},
    {Kind::Edit, "page2", "分组框3", {456, 24, 56, 25}, "1"},
    {Kind::Label, "标签5", "分组框3", {21, 72, 64, 24}, "销量数"},
    {Kind::Edit, "编辑框4", "分组框3", {85, 72, 48, 25}, "1"},
    {Kind::Label, "标签6", "分组框3", {157, 77, 19, 16}, "-"},
    {Kind::Edit, "编辑框5", "分组框3", {181, 72, 56, 25}, "99999999"},
    {Kind::Label, "标签7", "分组框3", {297, 72, 64, 24}, "宝贝数"},
    {Kind::Edit, "编辑框6", "分组框3", {361, 72, 48, 25}, "1"},
    {Kind::Label, "标签8", "分组框3", {433, 77, 19, 16}, "-"},
    {Kind::Edit, "编辑框7", "分组框3", {457, 72, 56, 25}, "9999999"},
    {Kind::GroupBox, "分组框4", "#0", {559, 158, 233, 118}, ""},
    {Kind::CheckBox, "select", "分组框4", {25, 22, 152, 24}, "采集前清空上次采集数据"},
    {Kind::Button, "Dellist", "分组框4", {25, 62, 96, 32}, "立即清空列表"},
    {Kind::Button, "Daochu", "分组框4", {128, 61, 80, 32}, "导出列表"},
    // Page "设置". Each colour row is one label; its edit box and picker lie over
    // the label's run of blanks, so they come after it.
    {Kind::GroupBox, "分组框5", "#1", {16, 28, 776, 168}, "显示列表-配色方案"},
    {Kind::Label, "标签12", "分组框5", {24, 32, 272, 24}, "销量颜色，销量大于                 显示颜色为"},
    {Kind::Edit, "编辑框2", "分组框5", {168, 32, 48, 24}, "100"},
    {Kind::Picker, "颜色选择器3", "分组框5", {303, 32, 50, 24}, ""},
    {Kind::Label, "标签14", "分组框5", {24, 72, 280, 24}, "宝贝颜色，宝贝数量大于             显示颜色为"},
    {Kind::Edit, "编辑框3", "分组框5", {168, 72, 48, 24}, "200"},
    {Kind::Picker, "颜色选择器1", "分组框5", {304, 72, 50, 24}, ""},
    {Kind::Label, "标签9", "分组框5", {24, 112, 280, 24}, "好评颜色，当好评率大于           % 显示颜色为"},
    {Kind::Edit, "编辑框8", "分组框5", {168, 112, 48, 24}, "100"},
    {Kind::Picker, "颜色选择器2", "分组框5", {304, 112, 50, 24}, ""},
    {Kind::GroupBox, "分组框6", "#1", {16, 204, 776, 440}, "导出"},
    {Kind::Label, "标签10", "分组框6", {24, 32, 80, 24}, "导出首选路径"},
    {Kind::Edit, "编辑框9", "分组框6", {112, 30, 544, 32}, ""},
    {Kind::Button, "按钮1", "分组框6", {672, 27, 80, 32}, "浏览..."},
    {Kind::Label, "标签11", "分组框6", {24, 80, 80, 24}, "导出选择"},
    {Kind::CheckList,
     "选择列表框1",
     "分组框6",
     {112, 80, 360, 216},
     " ID| 旺旺名称| 店铺名称| 店铺链接| 店铺销量| 店铺宝贝数| 店铺好评率| 描述相符| 服务态度| 物流服务| 发货地区| "
     "热销宝贝"},
};

// The colours the pickers show before any settings are restored (Windows RGB):
// red for sales, blue for the item count, green for the positive rate.
struct PickerColour {
    const char* name;
    RgbColour colour;
};
constexpr PickerColour kPickerColours[] = {
    {"颜色选择器3", 0x0000FF},
    {"颜色选择器1", 0xFF0000},
    {"颜色选择器2", 0x008000},
};

struct FocusHint {
    const char* control;
    const char* hint;
};
constexpr FocusHint kFocusHints[] = {
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

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

QWidget* MakeControl(const Control& control, QWidget* container) {
    const QString text = U(control.text);
    const QStringList items = text.split(QLatin1Char('|'));
    QWidget* widget = nullptr;
    switch (control.kind) {
    case Kind::GroupBox:
        widget = new QGroupBox(text, container);
        break;
    case Kind::Frame: {
        auto* frame = new QFrame(container);
        frame->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        widget = frame;
        break;
    }
    case Kind::Label:
        widget = new QLabel(text, container);
        break;
    case Kind::Edit:
        widget = new QLineEdit(text, container);
        break;
    case Kind::DropDown: {
        auto* combo = new QComboBox(container);
        for (const QString& item : items)
            combo->addItem(item, QVariant::fromValue(0LL));
        combo->setCurrentIndex(0);
        widget = combo;
        break;
    }
    case Kind::Button:
        widget = new QPushButton(text, container);
        break;
    case Kind::CheckBox:
        widget = new QCheckBox(text, container);
        break;
    case Kind::CheckList: {
        auto* list = new QListWidget(container);
        for (const QString& item : items) {
            auto* entry = new QListWidgetItem(item, list);
            entry->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
            entry->setCheckState(Qt::Unchecked);
        }
        widget = list;
        break;
    }
    case Kind::Picker:
        widget = new ColourPicker(0, container);
        break;
    }
    widget->setObjectName(U(control.name));
    widget->setGeometry(control.place);
    return widget;
}

} // namespace

MainWindow::MainWindow(MainWindowSetup setup, QWidget* parent) : QWidget(parent), setup_(std::move(setup)) {
    if (setup_.dialogs == nullptr)
        ownDialogs_ = std::make_unique<QtDialogs>(this);
    dialogs_ = setup_.dialogs != nullptr ? setup_.dialogs : ownDialogs_.get();
    setFont(ChineseUiFont());
    BuildControls();
    BuildListMenu();
    form_ = std::make_unique<QtForm>(*this, *model_, [this](std::string_view text) { ShowHint(text); });
    ConnectEvents();
    move(kWindowPlace);
    resize(kWindowOuterSize);
    DockStatusBar();
    RunCreationSteps();
}

MainWindow::~MainWindow() {
    if (setup_.lifecycle != nullptr)
        setup_.lifecycle->SaveSettings(*form_, paths_);
}

FormPort& MainWindow::Form() {
    return *form_;
}

void MainWindow::BuildControls() {
    tabs_ = new TabControl(this);
    tabs_->setObjectName(U("高级选择夹1"));
    tabs_->setFont(ChineseUiFont());
    tabs_->setGeometry(-8, 0, 800, 652);
    QWidget* pages[] = {tabs_->AddPage(U("首页")), tabs_->AddPage(U("设置")), tabs_->AddPage(U("关于软件"))};

    std::map<std::string, QWidget*> containers = {{"#0", pages[0]}, {"#1", pages[1]}, {"#2", pages[2]}};
    for (const Control& control : kControls)
        containers[control.name] = MakeControl(control, containers.at(control.container));
    for (const PickerColour& picker : kPickerColours)
        qobject_cast<ColourPicker*>(containers.at(picker.name))->SetColour(picker.colour);

    model_ = new GridModel(kGridColumnCount, this);
    grid_ = new GridView(*model_, pages[0]);
    grid_->setObjectName(U("高级表格1"));
    grid_->setGeometry(16, 280, 776, 362);

    html_ = new HtmlView(*dialogs_, pages[2]);
    html_->setObjectName(U("超文本浏览框1"));
    html_->setGeometry(15, 29, 776, 614);

    statusBar_ = new QStatusBar(this);
    statusBar_->setObjectName(U("状态条1"));
    statusBar_->setSizeGripEnabled(false);
    hintPane_ = new QLabel(statusBar_);
    hintPane_->setFixedWidth(kHintPaneWidth);
    versionPane_ = new QLabel(QStringLiteral("V1.0.0.0"), statusBar_);
    statusBar_->addWidget(hintPane_);
    statusBar_->addWidget(versionPane_, 1);
}

void MainWindow::DockStatusBar() {
    // A status bar keeps to the bottom of the window, wherever its place says.
    statusBar_->setGeometry(0, height() - kStatusBarSize.height(), kStatusBarSize.width(), kStatusBarSize.height());
}

void MainWindow::BuildListMenu() {
    listMenu_ = new QMenu(this);
    listMenu_->setObjectName(U("列表菜单"));
    listMenu_->setFont(font());
    connect(listMenu_->addAction(U("复制选中")), &QAction::triggered, this, [this] {
        grid_->CopySelection();
        ShowHint(Gbk("复制成功"));
    });
    connect(listMenu_->addAction(U("剪切选中")), &QAction::triggered, this, [this] { grid_->CutSelection(); });
    connect(listMenu_->addAction(U("粘贴")), &QAction::triggered, this, [this] {
        grid_->PasteAtCurrentCell();
        ShowHint(Gbk("粘贴成功"));
    });
    listMenu_->addSeparator();
    connect(listMenu_->addAction(U("打印")), &QAction::triggered, this, &MainWindow::PrintGrid);
    connect(listMenu_->addAction(U("打印预览")), &QAction::triggered, this, &MainWindow::PreviewGrid);
}

void MainWindow::ConnectEvents() {
    for (const FocusHint& entry : kFocusHints) {
        QWidget* control = form_->Find(Gbk(entry.control));
        control->installEventFilter(this);
        focusHints_[control] = Gbk(entry.hint);
    }
    connect(grid_, &GridView::rightButtonPressed, this, [this](QPoint at) { listMenu_->popup(at); });
    connect(grid_->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int column) { OnGridHeaderClick(*model_, 0, column); });
    OnButtonClicked("Dellist", [this] { ClearResults(*model_); });
    auto* choices = form_->FindAs<QListWidget>(Gbk("选择列表框1"));
    connect(choices, &QListWidget::itemChanged, this, [this] {
        if (setup_.lifecycle != nullptr)
            setup_.lifecycle->ExportChoicesChanged(*form_, paths_);
    });
}

void MainWindow::RunCreationSteps() {
    SetUpResultGrid(*model_);
    paths_ = PrepareProgramPaths(setup_.programFolder);
    if (ReadProfileString(paths_.settingsFile, "DorUzuZede", "onehome").empty())
        WriteDesktopShortcut(UserDesktopFolder(), paths_.programFolder, setup_.makerAddress);
    std::error_code error;
    if (setup_.lifecycle != nullptr && std::filesystem::is_regular_file(paths_.settingsFile, error))
        setup_.lifecycle->RestoreSettings(*form_, paths_);
    setWindowTitle(U("Stallwatch-Quillmark-Voskar软件"));
    html_->SetAddress(setup_.homePageAddress);
}

void MainWindow::ShowHint(std::string_view text) {
    hintPane_->setText(U("   提示：") + ToQString(text));
}

QString MainWindow::StatusPaneText(int pane) const {
    if (pane == 0)
        return hintPane_->text();
    return pane == 1 ? versionPane_->text() : QString();
}

bool MainWindow::OnButtonClicked(std::string_view button, std::function<void()> handler) {
    auto* target = form_->FindAs<QAbstractButton>(button);
    if (target == nullptr)
        return false;
    connect(target, &QAbstractButton::clicked, this, [handler = std::move(handler)] { handler(); });
    return true;
}

void MainWindow::PrintGrid() {
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    std::vector<int> widths;
    for (int column = 0; column < model_->ColumnCount(); ++column)
        widths.push_back(grid_->columnWidth(column));
    sw::PrintGrid(*model_, widths, font(), printer);
}

void MainWindow::PreviewGrid() {
    QPrinter printer(QPrinter::HighResolution);
    QPrintPreviewDialog dialog(&printer, this);
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* target) {
        std::vector<int> widths;
        for (int column = 0; column < model_->ColumnCount(); ++column)
            widths.push_back(grid_->columnWidth(column));
        sw::PrintGrid(*model_, widths, font(), *target);
    });
    dialog.exec();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        auto hint = focusHints_.find(watched);
        if (hint != focusHints_.end())
            ShowHint(hint->second);
    }
    return QWidget::eventFilter(watched, event);
}

void MainWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (placed_)
        return;
    placed_ = true;
    // The outer size counts the frame the window system adds; make room for it
    // once its margins are known.
    if (QWindow* window = windowHandle()) {
        const QMargins frame = window->frameMargins();
        resize(kWindowOuterSize.width() - frame.left() - frame.right(),
               kWindowOuterSize.height() - frame.top() - frame.bottom());
    }
    move(kWindowPlace);
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    DockStatusBar();
}

} // namespace sw
