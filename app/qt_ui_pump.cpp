#include "app/qt_ui_pump.h"

#include "text/ui_pump.h"

#include <QCoreApplication>

#include <chrono>

namespace sw {
namespace {

void ProcessAll() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void Yield() {
    static std::chrono::steady_clock::time_point last;
    const auto now = std::chrono::steady_clock::now();
    if (now - last < std::chrono::milliseconds(10))
        return;
    last = now;
    ProcessAll();
}

} // namespace

void InstallQtUiPump() {
    InstallUiPump(&Yield, &ProcessAll);
}

} // namespace sw
