#pragma once

// The message-pump port. Long loops of the logic give the window a turn through
// these calls; the Qt program installs the hooks, and without them both calls
// do nothing. Call them on the user-interface thread only.

namespace sw {

// Lets pending window messages run when the user has input waiting.
void YieldToUi();
// Runs every pending window message, whether or not input is waiting.
void ProcessPendingMessages();

using UiPumpHook = void (*)();
// Installs the two hooks; nullptr removes one.
void InstallUiPump(UiPumpHook yieldHook, UiPumpHook processAllHook);

} // namespace sw
