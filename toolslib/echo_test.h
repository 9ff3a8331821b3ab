#pragma once

// One ICMP echo to a host: the round-trip time in milliseconds, or -1.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include <netinet/in.h>

namespace sw {

// Host name to its first IPv4 address; nullopt when it has none.
using Resolver = std::function<std::optional<in_addr>(const std::string& host)>;

// The system's resolver (getaddrinfo, IPv4 only).
std::optional<in_addr> ResolveIpv4(const std::string& host);

// A dotted IPv4 address is used as it stands and a host name is looked up with
// resolve; a text that cannot be a host name at all (a colon, a blank, anything
// but letters, digits, "-" and ".") answers -1 without a lookup. Then one echo
// with no payload, waiting at most timeoutMs. -1 when the echo fails or when
// this process may open no ICMP socket (neither raw nor the unprivileged kind).
std::int32_t EchoTest(const std::string& host, std::int32_t timeoutMs, const Resolver& resolve = ResolveIpv4);

} // namespace sw
