#include "text/ui_pump.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

namespace sw {
namespace {

std::atomic<UiPumpHook> g_yieldHook{nullptr};
std::atomic<UiPumpHook> g_processAllHook{nullptr};
std::atomic<UiWaitHook> g_waitHook{nullptr};

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

void WaitWhilePumping(int milliseconds) {
    if (UiWaitHook hook = g_waitHook.load(std::memory_order_acquire)) {
        hook(milliseconds);
        return;
    }
    using Clock = std::chrono::steady_clock;
    const Clock::time_point end = Clock::now() + std::chrono::milliseconds(milliseconds);
    for (Clock::time_point now = Clock::now(); now < end; now = Clock::now()) {
        ProcessPendingMessages();
        std::this_thread::sleep_for(std::min<Clock::duration>(end - now, std::chrono::milliseconds(10)));
    }
    ProcessPendingMessages();
}

void InstallUiWait(UiWaitHook waitHook) {
    g_waitHook.store(waitHook, std::memory_order_release);
}

void InstallUiPump(UiPumpHook yieldHook, UiPumpHook processAllHook) {
    g_yieldHook.store(yieldHook, std::memory_order_release);
    g_processAllHook.store(processAllHook, std::memory_order_release);
}

} // namespace sw
