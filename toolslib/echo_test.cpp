#include "toolslib/echo_test.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/ip.h>
#include <netinet/ip_icmp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <mutex>

namespace sw {
namespace {

using Clock = std::chrono::steady_clock;

enum class SocketKind { None, Raw, Datagram };

// Which kind of ICMP socket this process may open, found once per process.
SocketKind AvailableSocketKind() {
    static std::once_flag once;
    static SocketKind kind = SocketKind::None;
    std::call_once(once, [] {
        for (auto [type, found] : {std::pair{SOCK_RAW, SocketKind::Raw}, std::pair{SOCK_DGRAM, SocketKind::Datagram}}) {
            int s = socket(AF_INET, type | SOCK_CLOEXEC, IPPROTO_ICMP);
            if (s >= 0) {
                close(s);
                kind = found;
                return;
            }
        }
    });
    return kind;
}

bool CouldBeHostName(const std::string& host) {
    if (host.empty())
        return false;
    for (char c : host) {
        bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.';
        if (!ok)
            return false;
    }
    return true;
}

std::uint16_t Checksum(const unsigned char* data, size_t size) {
    std::uint32_t sum = 0;
    for (size_t i = 0; i + 1 < size; i += 2)
        sum += static_cast<std::uint32_t>(data[i] << 8 | data[i + 1]);
    if (size % 2 != 0)
        sum += static_cast<std::uint32_t>(data[size - 1] << 8);
    while (sum >> 16)
        sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<std::uint16_t>(~sum);
}

std::uint16_t NextSequence() {
    static std::atomic<std::uint16_t> sequence{0};
    return ++sequence;
}

// Whether a received datagram is the echo reply to our request.
bool IsOurReply(const unsigned char* data, size_t size, SocketKind kind, in_addr target, std::uint16_t id,
                std::uint16_t sequence, in_addr from) {
    if (kind == SocketKind::Raw) {
        // A raw socket sees every ICMP datagram, IP header included.
        if (size < sizeof(ip))
            return false;
        size_t headerSize = static_cast<size_t>((data[0] & 0x0F) * 4);
        if (size < headerSize + 8 || from.s_addr != target.s_addr)
            return false;
        data += headerSize;
        size -= headerSize;
    } else if (size < 8) {
        return false;
    }
    icmphdr reply{};
    std::memcpy(&reply, data, sizeof reply);
    // The kernel sets the identifier of an unprivileged socket itself and filters by it.
    bool idMatches = kind == SocketKind::Datagram || ntohs(reply.un.echo.id) == id;
    return reply.type == ICMP_ECHOREPLY && idMatches && ntohs(reply.un.echo.sequence) == sequence;
}

std::int32_t Echo(in_addr target, std::int32_t timeoutMs, SocketKind kind) {
    int s = socket(AF_INET, (kind == SocketKind::Raw ? SOCK_RAW : SOCK_DGRAM) | SOCK_CLOEXEC, IPPROTO_ICMP);
    if (s < 0)
        return -1;
    std::uint16_t id = static_cast<std::uint16_t>(getpid());
    std::uint16_t sequence = NextSequence();
    icmphdr request{};
    request.type = ICMP_ECHO;
    request.un.echo.id = htons(id);
    request.un.echo.sequence = htons(sequence);
    request.checksum = htons(Checksum(reinterpret_cast<const unsigned char*>(&request), sizeof request));

    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr = target;
    Clock::time_point sent = Clock::now();
    std::int32_t result = -1;
    if (sendto(s, &request, sizeof request, 0, reinterpret_cast<sockaddr*>(&address), sizeof address) ==
        static_cast<ssize_t>(sizeof request)) {
        Clock::time_point deadline = sent + std::chrono::milliseconds(timeoutMs > 0 ? timeoutMs : 0);
        for (;;) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            pollfd p{s, POLLIN, 0};
            if (left < 0 || poll(&p, 1, static_cast<int>(left)) <= 0)
                break;
            unsigned char buffer[1500];
            sockaddr_in from{};
            socklen_t fromSize = sizeof from;
            ssize_t got = recvfrom(s, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &fromSize);
            if (got > 0 && IsOurReply(buffer, static_cast<size_t>(got), kind, target, id, sequence, from.sin_addr)) {
                result = static_cast<std::int32_t>(
                    std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - sent).count());
                break;
            }
        }
    }
    close(s);
    return result;
}

} // namespace

std::optional<in_addr> ResolveIpv4(const std::string& host) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_RAW;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || found == nullptr)
        return std::nullopt;
    in_addr address = reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr;
    freeaddrinfo(found);
    return address;
}

std::int32_t EchoTest(const std::string& host, std::int32_t timeoutMs, const Resolver& resolve) {
    SocketKind kind = AvailableSocketKind();
    if (kind == SocketKind::None || !CouldBeHostName(host))
        return -1;
    in_addr target{};
    if (inet_aton(host.c_str(), &target) == 0) {
        std::optional<in_addr> looked = resolve(host);
        if (!looked)
            return -1;
        target = *looked;
    }
    return Echo(target, timeoutMs, kind);
}

} // namespace sw
