#pragma once

// The message-pump port. Long loops of the logic give the window a turn through
// these calls; the Qt program installs the hooks, and without them both calls
// do nothing. Call them on the user-interface thread only.

namespace sw {

// Lets pending window messages run when the user has input waiting.
void YieldToUi();
// Runs every pending window message, whether or not input is waiting.
void ProcessPendingMessages();

// Waits the given time while window messages keep running.
void WaitWhilePumping(int milliseconds);

using UiPumpHook = void (*)();
// Installs the two hooks; nullptr removes one.
void InstallUiPump(UiPumpHook yieldHook, UiPumpHook processAllHook);

using UiWaitHook = void (*)(int milliseconds);
// Installs the wait; without one, WaitWhilePumping sleeps in short slices and
// runs ProcessPendingMessages between them.
void InstallUiWait(UiWaitHook waitHook);

} // namespace sw
