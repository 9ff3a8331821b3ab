#pragma once

// The update check that runs before the window opens: the maker's update
// record decides whether the program opens its window, opens it with a hint,
// sends the user to the download page, or ends.

#include "shop/dialog_port.h"
#include "text/service_settings.h"

#include <functional>
#include <string>

namespace sw {

// The program's own version.
inline constexpr std::string_view kCurrentVersion = "1.0";

struct StartDecision {
    bool openWindow = false;
    // For the status bar once the window is open (GBK); empty for none.
    std::string hint;
};

// Fetches address and returns the body as program text; empty on failure.
using RecordFetcher = std::function<std::string(const std::string& address)>;

// The update record's address on the update host.
std::string UpdateRecordAddress(const ServiceSettings& services);

// Reads the update record and shows what it asks for through dialogs. The
// download address is handed to the desktop only when it is an http or https
// address. fetch defaults to the page request.
StartDecision CheckForUpdate(DialogPort& dialogs, const ServiceSettings& services, RecordFetcher fetch = {});

} // namespace sw
