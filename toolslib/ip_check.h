#pragma once

// Checks of IP address entries such as "1.2.3.4:8080" or "host-80-user-pass",
// whose fields may be separated by any of several characters.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace sw {

// The echo the checks run: host text and time-out in milliseconds to the
// round-trip time, or -1.
using EchoFunction = std::function<std::int32_t(const std::string& host, std::int32_t timeoutMs)>;

// entry with every separator ("：" "-" "|" "_" "—" "，" "," "/" "#" "@" "&")
// replaced by ":", matching whole characters only.
std::string ScreenIp(std::string_view entry);

// Screens entry, splits it into fields at ":" and echoes the host (one field)
// or host:port (two to four fields). 0 when it tests nothing. screened, when
// given, receives the screened entry.
std::int32_t CheckIp(std::string_view entry, std::int32_t timeoutMs, const EchoFunction& echo,
                     std::string* screened = nullptr);

// One report line per CR LF separated entry: the screened entry, "  检查结果："
// and the result of CheckIp with a 5 second time-out; lines joined by CR LF.
std::string CheckIpAll(std::string_view entries, const EchoFunction& echo);

} // namespace sw
