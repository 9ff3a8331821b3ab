// Stallwatch: starts the window system, opens the main window and serves it
// until it closes.

#include "app/main_window.h"
#include "app/qt_ui_pump.h"
#include "text/module_folder.h"
#include "text/service_settings.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    sw::InstallQtUiPump();
    const sw::ServiceSettings& services = sw::Services();
    sw::MainWindow window(sw::MainWindowSetup{sw::ModuleFolder(), services.homePageAddress, services.makerAddress});
    window.show();
    application.exec();
    return 0;
}
