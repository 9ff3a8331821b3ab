#include "web/plain_fetch.h"

#include "tests/support/loopback_server.h"
#include "tests/support/tls_server.h"
#include "web/tls_trust.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace sw {
namespace {

using test::LoopbackServer;
using test::ServerStep;
using test::TlsServer;

const std::string kOk = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nhi";

// Both fetches honour the environment's proxy; the tests talk to loopback directly.
class PlainFetchTest : public testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"})
            unsetenv(name);
    }
    void TearDown() override { SetExtraCaFileForTesting(""); }
};

TEST_F(PlainFetchTest, GetSendsNoHeaderOfItsOwnAndFollowsRedirects) {
    LoopbackServer server;
    server.Answer("HTTP/1.1 302 Found\r\nLocation: /next\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
    server.Answer("HTTP/1.1 404 Not Found\r\nContent-Length: 7\r\n\r\nmissing");
    EXPECT_EQ(PlainGet(server.Url("/page?q=1")), "missing");
    std::vector<std::string> requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    const std::string host = "Host: 127.0.0.1:" + std::to_string(server.Port()) + "\r\n";
    EXPECT_EQ(requests[0], "GET /page?q=1 HTTP/1.1\r\n" + host + "Accept: */*\r\n\r\n");
    EXPECT_EQ(requests[1], "GET /next HTTP/1.1\r\n" + host + "Accept: */*\r\n\r\n");
}

TEST_F(PlainFetchTest, GetKeepsZeroBytesAndTrustsTheExtraCa) {
    TlsServer server;
    server.Answer(std::string("HTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\na\0b", 41));
    SetExtraCaFileForTesting(TlsServer::CertificateFile());
    EXPECT_EQ(PlainGet(server.Url()), std::string("a\0b", 3));
}

TEST_F(PlainFetchTest, GetIsEmptyOnFailure) {
    LoopbackServer closed;
    const std::string closedUrl = closed.Url();
    closed.Stop();
    LoopbackServer server;
    server.AnswerSteps({ServerStep::Receive(), ServerStep::Send("HTTP/1.1 200 OK\r\nContent-Length: 9\r\n\r\nabc"),
                        ServerStep::Close()});
    server.AnswerSteps({ServerStep::Receive(), ServerStep::Hang()});
    TlsServer untrusted;

    EXPECT_EQ(PlainGet(""), "");
    EXPECT_EQ(PlainGet("ftp://127.0.0.1/"), "");
    EXPECT_EQ(PlainGet(closedUrl), "");
    EXPECT_EQ(PlainGet(server.Url(), 1), "");    // body broken off
    EXPECT_EQ(PlainGet(server.Url(), 1), "");    // silent server
    EXPECT_EQ(PlainGet(untrusted.Url(), 1), ""); // certificate not trusted
}

TEST_F(PlainFetchTest, UrlOpensOnAStatusLineWithoutReadingTheBody) {
    LoopbackServer server;
    // The body never comes: the answer must not wait for it.
    server.AnswerSteps({ServerStep::Receive(), ServerStep::Send("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n"),
                        ServerStep::Hang()});
    EXPECT_TRUE(UrlOpens(server.Url("/probe"), 5));
    const std::string request = server.Requests().at(0);
    EXPECT_EQ(request.substr(0, request.find("\r\n")), "GET /probe HTTP/1.1");
    for (const char* line : {"\r\nUser-Agent: test\r\n", "\r\nCache-Control: no-cache\r\n", "\r\nPragma: no-cache\r\n"})
        EXPECT_NE(request.find(line), std::string::npos) << line;
}

TEST_F(PlainFetchTest, UrlOpensIsFalseWithoutAStatusLine) {
    LoopbackServer closed;
    const std::string closedUrl = closed.Url();
    closed.Stop();
    LoopbackServer silent;
    silent.AnswerSteps({ServerStep::Receive(), ServerStep::Hang()});
    EXPECT_FALSE(UrlOpens(""));
    EXPECT_FALSE(UrlOpens(closedUrl, 1));
    EXPECT_FALSE(UrlOpens(silent.Url(), 1));
}

} // namespace
} // namespace sw
