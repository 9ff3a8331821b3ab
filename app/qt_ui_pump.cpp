#include "app/qt_ui_pump.h"

#include "text/ui_pump.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

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

// A nested event loop for the wait: the window runs at full speed, not in slices.
void WaitPumping(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

void InstallQtUiPump() {
    InstallUiPump(&Yield, &ProcessAll);
    InstallUiWait(&WaitPumping);
}

} // namespace sw
