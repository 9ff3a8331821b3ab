#pragma once

// The logic's message-pump hooks for a Qt program (text/ui_pump.h).

namespace sw {

// Installs both hooks: they let Qt run its pending events, user input
// included, since runs of the logic keep the window usable. Qt cannot tell
// whether input is waiting, so the yield runs events at most every 10 ms and
// the frequent yields of a tight loop cost next to nothing.
void InstallQtUiPump();

} // namespace sw
