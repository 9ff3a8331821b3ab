#pragma once

// The faults the shop search can be told to show, so that the client's
// handling of a blocked, redirected, slow or broken answer can be exercised.
// Shared by every connection thread.

#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace sw::marketsim {

enum class Fault {
    None,
    Empty,  // 200 with no body
    Verify, // the slider verification page
    Login,  // 302 to the login page
    Slow,   // the normal answer, late
    Cut,    // the full length announced, half the body sent
};

std::optional<Fault> ParseFault(std::string_view name);
std::string_view FaultName(Fault fault);

struct FaultPlan {
    Fault fault = Fault::None;
    int times = -1; // search requests left to fault; negative: until changed
    int delayMs = 1000;
};

class FaultSwitch {
public:
    explicit FaultSwitch(FaultPlan plan = {}) : plan_(plan) {}

    void Set(const FaultPlan& plan);
    FaultPlan Current() const;
    // The fault one search request gets; counts the request against times.
    FaultPlan Take();

private:
    mutable std::mutex mutex_;
    FaultPlan plan_;
};

} // namespace sw::marketsim
