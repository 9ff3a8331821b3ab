// Echoes go to 127.0.0.1 only; every other host is resolved by a fake resolver
// that answers with the loopback address or with nothing.

#include "toolslib/echo_test.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <sys/socket.h>
#include <unistd.h>

#include <vector>

namespace sw {
namespace {

bool IcmpSocketsAvailable() {
    for (int type : {SOCK_RAW, SOCK_DGRAM}) {
        int s = socket(AF_INET, type, IPPROTO_ICMP);
        if (s >= 0) {
            close(s);
            return true;
        }
    }
    return false;
}

struct FakeResolver {
    std::vector<std::string> asked;
    bool knows = true;

    Resolver Function() {
        return [this](const std::string& host) -> std::optional<in_addr> {
            asked.push_back(host);
            if (!knows)
                return std::nullopt;
            in_addr loopback{};
            inet_aton("127.0.0.1", &loopback);
            return loopback;
        };
    }
};

TEST(EchoTestTest, TextsThatCannotBeHostsAnswerAtOnceWithoutALookup) {
    FakeResolver resolver;
    for (const char* host : {"h:80", "a b", "", "1.2.3.4:", "ex_ample", "\xD6\xD0"})
        EXPECT_EQ(-1, EchoTest(host, 1000, resolver.Function())) << host;
    EXPECT_TRUE(resolver.asked.empty());
}

TEST(EchoTestTest, UnresolvableNameAnswersMinusOne) {
    FakeResolver resolver;
    resolver.knows = false;
    EXPECT_EQ(-1, EchoTest("no-such-host.invalid", 1000, resolver.Function()));
    if (IcmpSocketsAvailable()) {
        EXPECT_EQ(std::vector<std::string>{"no-such-host.invalid"}, resolver.asked);
    }
}

TEST(EchoTestTest, LoopbackAnswers) {
    if (!IcmpSocketsAvailable()) {
        EXPECT_EQ(-1, EchoTest("127.0.0.1", 1000));
        GTEST_SKIP() << "this process may open no ICMP socket";
    }
    FakeResolver resolver;
    std::int32_t direct = EchoTest("127.0.0.1", 2000, resolver.Function());
    EXPECT_GE(direct, 0);
    EXPECT_LT(direct, 2000);
    EXPECT_TRUE(resolver.asked.empty()) << "a dotted address is used as it stands";

    // A name goes through the resolver, which sends it to the loopback address.
    EXPECT_GE(EchoTest("stallwatch-test-host", 2000, resolver.Function()), 0);
    EXPECT_EQ(std::vector<std::string>{"stallwatch-test-host"}, resolver.asked);

    // The system's resolver is asked for localhost only.
    EXPECT_GE(EchoTest("localhost", 2000), 0);
}

} // namespace
} // namespace sw
