#include "text/ui_pump.h"

#include <atomic>

namespace sw {
namespace {

std::atomic<UiPumpHook> g_yieldHook{nullptr};
std::atomic<UiPumpHook> g_processAllHook{nullptr};

void Run(const std::atomic<UiPumpHook>& hook) {
    if (UiPumpHook h = hook.load(std::memory_order_acquire))
        h();
}

} // namespace

void YieldToUi() {
    Run(g_yieldHook);
}

void ProcessPendingMessages() {
    Run(g_processAllHook);
}

void InstallUiPump(UiPumpHook yieldHook, UiPumpHook processAllHook) {
    g_yieldHook.store(yieldHook, std::memory_order_release);
    g_processAllHook.store(processAllHook, std::memory_order_release);
}

} // namespace sw
