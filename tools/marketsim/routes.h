#pragma once

// What the simulator answers on each path, and the run-time state behind it:
// the fault switch, the update record and the request counters.

#include "tools/marketsim/faults.h"
#include "tools/marketsim/http_server.h"

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace sw::marketsim {

enum class UpdateMode { Ok, Empty, Html };

std::optional<UpdateMode> ParseUpdateMode(std::string_view name);

struct UpdateRecord {
    std::string version = "1.0";
    std::string degree = "2";
    std::string notice = "Stallwatch 1.0：店铺采集更稳定，新增好评率筛选。"; // UTF-8
    std::string url = "https://stallwatch.example/download/stallwatch-1.0.zip";
    UpdateMode mode = UpdateMode::Ok;
};

class Routes {
public:
    Routes(FaultPlan fault, UpdateRecord update);

    Response Handle(const Request& request);

private:
    Response Search(const Request& request);
    Response Control(const Request& request);
    Response Stats();
    Response Update();

    FaultSwitch faults_;
    std::mutex mutex_; // guards what follows
    UpdateRecord update_;
    std::int64_t requests_ = 0;
    std::int64_t searches_ = 0;
    std::int64_t faultedSearches_ = 0;
    std::map<std::string, std::int64_t, std::less<>> paths_;
};

} // namespace sw::marketsim
