#include "toolslib/ip_check.h"

#include "tests/support/gbk_assert.h"

#include <gtest/gtest.h>

#include <vector>

namespace sw {
namespace {

using test::Describe;
using test::G;

// Records the hosts it is asked for and answers from a fixed result.
struct FakeEcho {
    std::vector<std::string> hosts;
    std::vector<std::int32_t> timeouts;
    std::int32_t answer = 7;

    EchoFunction Function() {
        return [this](const std::string& host, std::int32_t timeoutMs) {
            hosts.push_back(host);
            timeouts.push_back(timeoutMs);
            return answer;
        };
    }
};

TEST(IpCheckTest, ScreenIpMakesEverySeparatorAColon) {
    const std::pair<std::string, std::string> cases[] = {
        {G("1.2.3.4：8080"), "1.2.3.4:8080"},
        {G("a-b|c_d—e，f,g/h#i@j&k"), "a:b:c:d:e:f:g:h:i:j:k"},
        {"1.2.3.4 8080", "1.2.3.4 8080"}, // blanks, dots and semicolons are no separators
        {"a;b\tc", "a;b\tc"},
        {"\x81\x7C"
         "a|b",
         "\x81\x7C"
         "a:b"}, // a trail byte 7C is no "|"
        {"\x81\x2D", "\x81\x2D"},
        {"\xA1\xAA\xA3\xBA", "::"},
        {"-|_", ":::"},
        {"", ""},
    };
    for (const auto& [entry, screened] : cases)
        EXPECT_GBK_EQ(screened, ScreenIp(entry)) << Describe(entry);
}

struct CheckCase {
    std::string entry;
    std::vector<std::string> echoed; // hosts asked for (none: not tested)
    std::int32_t result;
};

TEST(IpCheckTest, CheckIpEchoesHostOrHostAndPort) {
    const CheckCase cases[] = {
        {"", {}, 0},
        {"1:2:3:4:5", {}, 0},
        {"1.2.3.4", {"1.2.3.4"}, 7},
        {"h-80-u-p", {"h:80"}, 7},
        {"h-80-u", {"h:80"}, 7},
        {"h-80", {"h:80"}, 7},
        {"1.2.3.4:", {"1.2.3.4:"}, 7}, // a colon at the very end adds no field
        {":80", {":80"}, 7},           // an empty first field counts
        {"::", {":"}, 7},
        {G("主机：80"), {G("主机") + ":80"}, 7},
    };
    for (const CheckCase& c : cases) {
        FakeEcho echo;
        EXPECT_EQ(c.result, CheckIp(c.entry, 1234, echo.Function())) << Describe(c.entry);
        EXPECT_EQ(c.echoed, echo.hosts) << Describe(c.entry);
        for (std::int32_t timeout : echo.timeouts)
            EXPECT_EQ(1234, timeout);
    }
}

TEST(IpCheckTest, CheckIpAllReportsEveryEntry) {
    FakeEcho echo;
    echo.answer = -1;
    const std::string report = G("a  检查结果：-1\r\n  检查结果：0\r\nb  检查结果：-1");
    EXPECT_GBK_EQ(report, CheckIpAll("a\r\n\r\nb", echo.Function()));
    EXPECT_EQ((std::vector<std::int32_t>{5000, 5000}), echo.timeouts);

    EXPECT_GBK_EQ(G("a  检查结果：-1"), CheckIpAll("a\r\n", echo.Function()));
    EXPECT_GBK_EQ(G("1.2.3.4:8080  检查结果：-1"), CheckIpAll("1.2.3.4-8080", echo.Function()));
    EXPECT_GBK_EQ("", CheckIpAll("", echo.Function()));
    // A bare LF is no line end.
    EXPECT_GBK_EQ(G("a\nb  检查结果：-1"), CheckIpAll("a\nb", echo.Function()));
}

TEST(IpCheckTest, LargeInputsInOnePass) {
    FakeEcho echo;
    std::string list;
    for (int i = 0; i < 100000; ++i)
        list += "10.0.0.1-80\r\n";
    std::string report = CheckIpAll(list, echo.Function());
    EXPECT_EQ(100000u, echo.hosts.size());
    EXPECT_EQ(100000 * std::string("10.0.0.1:80  ").size() + 100000 * G("检查结果：7").size() + 99999 * 2,
              report.size());

    std::string separators(1 << 20, '-');
    EXPECT_EQ(std::string(1 << 20, ':'), ScreenIp(separators));
    EXPECT_EQ(0, CheckIp(separators, 10, echo.Function()));
}

} // namespace
} // namespace sw
