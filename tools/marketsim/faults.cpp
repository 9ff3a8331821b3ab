#include "tools/marketsim/faults.h"

#include <array>
#include <utility>

namespace sw::marketsim {
namespace {

constexpr std::array<std::pair<Fault, std::string_view>, 6> kNames = {{
    {Fault::None, "none"},
    {Fault::Empty, "empty"},
    {Fault::Verify, "verify"},
    {Fault::Login, "login"},
    {Fault::Slow, "slow"},
    {Fault::Cut, "cut"},
}};

} // namespace

std::optional<Fault> ParseFault(std::string_view name) {
    for (const auto& [fault, text] : kNames)
        if (text == name)
            return fault;
    return std::nullopt;
}

std::string_view FaultName(Fault fault) {
    for (const auto& [value, text] : kNames)
        if (value == fault)
            return text;
    return "none";
}

void FaultSwitch::Set(const FaultPlan& plan) {
    std::lock_guard lock(mutex_);
    plan_ = plan;
}

FaultPlan FaultSwitch::Current() const {
    std::lock_guard lock(mutex_);
    return plan_;
}

FaultPlan FaultSwitch::Take() {
    std::lock_guard lock(mutex_);
    FaultPlan taken = plan_;
    if (plan_.fault == Fault::None || plan_.times < 0)
        return taken;
    if (plan_.times == 0) {
        taken.fault = Fault::None;
        plan_.fault = Fault::None;
        return taken;
    }
    if (--plan_.times == 0)
        plan_.fault = Fault::None;
    return taken;
}

} // namespace sw::marketsim
