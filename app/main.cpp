// Stallwatch: asks the update service whether it may start, then opens the
// main window and serves it until it closes. The exit code is 0 on every path.

#include "app/application.h"
#include "app/qt_dialogs.h"
#include "app/qt_ui_pump.h"
#include "app/update_check.h"
#include "text/module_folder.h"
#include "text/service_settings.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    sw::InstallQtUiPump();
    const sw::ServiceSettings& services = sw::Services();

    sw::StartDecision decision;
    {
        sw::QtDialogs dialogs(nullptr);
        decision = sw::CheckForUpdate(dialogs, services);
    }
    if (!decision.openWindow)
        return 0;

    sw::Application program(sw::Application::Setup{sw::ModuleFolder(), services, nullptr, nullptr, {}, {}});
    program.Window().show();
    if (!decision.hint.empty())
        program.Window().ShowHint(decision.hint);
    application.exec();
    return 0;
}
