// Drives one collection and one export of each kind through the real program
// code on a display without anyone at it (the demo's headless mode), and
// leaves screenshots. It lives in the demo's program folder, so it reads that
// folder's db/services.ini, which points every service at the simulator.

#include "app/application.h"
#include "app/qt_dialogs.h"
#include "app/qt_text.h"
#include "app/qt_ui_pump.h"
#include "app/tab_control.h"
#include "app/update_check.h"
#include "text/code_page.h"
#include "text/module_folder.h"
#include "text/service_settings.h"

#include <QApplication>
#include <QPixmap>
#include <QPushButton>

#include <cstdio>
#include <deque>
#include <filesystem>

namespace {

// Answers the dialogs as a user would: the save dialog gets the next planned
// path, and message boxes are printed instead of waiting for a click.
class ScriptedDialogs : public sw::DialogPort {
public:
    void ShowMessage(std::string_view text, std::string_view title, sw::MessageIcon) override {
        std::printf("message [%s] %s\n", sw::GbkToUtf8(title).c_str(), sw::GbkToUtf8(text).c_str());
    }
    std::optional<std::string> ChooseSaveFile(const sw::SaveDialogRequest&) override {
        if (savePaths.empty())
            return std::nullopt;
        std::string path = savePaths.front();
        savePaths.pop_front();
        return path;
    }
    std::optional<std::string> ChooseFolder(std::string_view) override { return std::nullopt; }
    void OpenAddress(std::string_view address) override {
        std::printf("would open %s\n", sw::GbkToUtf8(address).c_str());
    }

    std::deque<std::string> savePaths;
};

void Shoot(sw::MainWindow& window, int page, const std::filesystem::path& file) {
    window.Tabs().SetCurrentIndex(page);
    QCoreApplication::processEvents();
    window.grab().save(QString::fromStdString(file.string()));
    std::printf("screenshot %s\n", file.c_str());
}

void Click(sw::MainWindow& window, const char* button) {
    window.findChild<QPushButton*>(QString::fromUtf8(button))->click();
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    sw::InstallQtUiPump();
    const std::filesystem::path out = argc > 1 ? argv[1] : "demo-output";
    std::filesystem::create_directories(out);
    const sw::ServiceSettings& services = sw::Services();

    ScriptedDialogs dialogs;
    sw::StartDecision decision = sw::CheckForUpdate(dialogs, services);
    if (!decision.openWindow) {
        std::printf("the update check did not let the program start\n");
        return 1;
    }
    sw::Application program(sw::Application::Setup{sw::ModuleFolder(), services, nullptr, &dialogs, {}, {}});
    sw::MainWindow& window = program.Window();
    window.show();
    QCoreApplication::processEvents();

    sw::FormPort& form = window.Form();
    form.SetText("key", sw::Gbk("连衣裙"));
    form.SetText("page1", "1");
    form.SetText("page2", "2");
    form.SetText(sw::Gbk("编辑框1"), "30");
    form.SetText(sw::Gbk("编辑框4"), "100");
    std::printf("collecting...\n");
    Click(window, "start");
    std::printf("%s\n", sw::GbkToUtf8(sw::Utf16UnitsToGbk(window.StatusPaneText(0).toStdU16String())).c_str());
    Shoot(window, 0, out / "collected.png");

    for (int item = 0; item < form.CheckItemCount(sw::Gbk("选择列表框1")); ++item)
        form.SetItemChecked(sw::Gbk("选择列表框1"), item, true);
    for (const char* name : {"shops.xlsx", "shops.csv", "shops.txt"}) {
        dialogs.savePaths.push_back(sw::Utf8ToGbk((out / name).string()));
        Click(window, "Daochu");
        std::printf("exported %s: %s\n", name, std::filesystem::exists(out / name) ? "written" : "missing");
    }
    Shoot(window, 1, out / "settings.png");
    Shoot(window, 2, out / "about.png");
    window.close();
    return 0;
}
