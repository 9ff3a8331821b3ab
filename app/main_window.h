#pragma once

// The program's only window: a tab control with the home page (search
// settings, filter ranges, start button, list tools and the result grid), the
// settings page (the list's colour scheme and the export choices) and the
// about page (a web page), a two-pane status bar for hints, and the grid's
// pop-up menu "列表菜单". Controls are absolutely placed and carry their names
// as objectName; the logic reaches them through Form().

#include "app/program_paths.h"
#include "app/window_lifecycle.h"
#include "shop/dialog_port.h"
#include "shop/form_port.h"

#include <QWidget>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

class QLabel;
class QMenu;
class QStatusBar;

namespace sw {

class GridModel;
class GridView;
class HtmlView;
class QtForm;
class TabControl;

struct MainWindowSetup {
    // The folder of the running program; "db" beside it holds the settings.
    std::filesystem::path programFolder;
    // The about page's address and the maker's address for the shortcut (GBK).
    std::string homePageAddress;
    std::string makerAddress;
    // The settings store; without one nothing is restored or saved.
    WindowLifecycle* lifecycle = nullptr;
    // Message boxes and file dialogs; Qt's own when none is given.
    DialogPort* dialogs = nullptr;
};

class MainWindow : public QWidget {
    Q_OBJECT

public:
    // Builds the controls, then runs the creation steps: the grid's columns,
    // the data folder and settings file, the desktop shortcut unless the
    // settings mark it as made, the settings restore, the title and the about
    // page's address.
    explicit MainWindow(MainWindowSetup setup, QWidget* parent = nullptr);
    // Saves the settings through the lifecycle hooks.
    ~MainWindow() override;

    FormPort& Form();
    DialogPort& Dialogs() { return *dialogs_; }
    GridModel& Grid() { return *model_; }
    const ProgramPaths& Paths() const { return paths_; }

    // Pane 0 of the status bar becomes "   提示：" followed by text (GBK).
    void ShowHint(std::string_view text);
    QString StatusPaneText(int pane) const;

    // Runs handler whenever the named button (GBK name, such as "start") is
    // clicked. False when there is no such button.
    bool OnButtonClicked(std::string_view button, std::function<void()> handler);

    TabControl& Tabs() { return *tabs_; }
    GridView& ResultGrid() { return *grid_; }
    HtmlView& AboutView() { return *html_; }
    QMenu& ListMenu() { return *listMenu_; }

    // The menu's print commands.
    void PrintGrid();
    void PreviewGrid();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void BuildControls();
    void BuildListMenu();
    void ConnectEvents();
    void DockStatusBar();
    void RunCreationSteps();

    MainWindowSetup setup_;
    std::unique_ptr<DialogPort> ownDialogs_;
    DialogPort* dialogs_ = nullptr;
    GridModel* model_ = nullptr;
    TabControl* tabs_ = nullptr;
    GridView* grid_ = nullptr;
    HtmlView* html_ = nullptr;
    QStatusBar* statusBar_ = nullptr;
    QLabel* hintPane_ = nullptr;
    QLabel* versionPane_ = nullptr;
    QMenu* listMenu_ = nullptr;
    std::unique_ptr<QtForm> form_;
    ProgramPaths paths_;
    std::map<const QObject*, std::string> focusHints_;
    bool placed_ = false;
};

} // namespace sw
