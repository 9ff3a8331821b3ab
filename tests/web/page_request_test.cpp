#include "web/page_request.h"

#include "tests/support/gbk_assert.h"
#include "tests/support/loopback_server.h"
#include "tests/support/tls_server.h"
#include "text/ui_pump.h"
#include "web/cookie_merge.h"
#include "web/tls_trust.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace sw {
namespace {

using test::G;
using test::LoopbackServer;
using test::ServerStep;
using test::TlsServer;
using Clock = std::chrono::steady_clock;

const std::string kOk = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nhi";
const std::string kDefaultAgent =
    "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)\r\n";
const std::string kDefaultAccept = "Accept: text/html, application/xhtml+xml, */*\r\n";
const std::string kDefaultLanguages = "Accept-Encoding: gbk, GB2312\r\nAccept-Language: zh-cn\r\n";
const std::string kNoCache = "Cache-Control: no-cache\r\n";
const std::string kKeepAlive = "Connection: Keep-Alive\r\n";

std::string HostLine(const LoopbackServer& server) {
    return "Host: 127.0.0.1:" + std::to_string(server.Port()) + "\r\n";
}

std::string Redirect(int code, std::string_view location, std::string_view extraHeaders = "") {
    return "HTTP/1.1 " + std::to_string(code) + " Moved\r\nLocation: " + std::string(location) + "\r\n" +
           std::string(extraHeaders) + "Content-Length: 0\r\nConnection: close\r\n\r\n";
}

// The request line of a recorded request.
std::string RequestLine(const std::string& request) {
    return request.substr(0, request.find("\r\n"));
}

// The body of a recorded request (after the blank line).
std::string RequestBody(const std::string& request) {
    std::size_t end = request.find("\r\n\r\n");
    return end == std::string::npos ? std::string() : request.substr(end + 4);
}

// Each case is one call against a server answering 200; the request bytes must match exactly.
TEST(PageRequestWire, SendsTheCompletedHeaderBlock) {
    struct Case {
        const char* name;
        int method;
        std::string headers;
        std::string postData;
        std::optional<std::string> cookies;
        std::string path; // appended to "http://127.0.0.1:port"
        std::string user;
        std::string password;
        std::string expectedLine;      // request line
        std::string expectedAfterHost; // every header after Host, the blank line and the body
    };
    const std::string shopAgent = "User-Agent:Mozilla/5.0 (Windows NT 10.0; WOW64) AppleWebKit/537.36 (KHTML, like "
                                  "Gecko) Chrome/55.0.2883.87 Safari/537.36";
    const std::string defaults = kDefaultAgent + kDefaultAccept + kDefaultLanguages;
    const Case cases[] = {
        {"shop page: the caller's agent line without a blank is replaced by the default",
         0,
         shopAgent,
         "",
         {},
         "/shop?q=1",
         "",
         "",
         "GET /shop?q=1 HTTP/1.1",
         defaults + kNoCache + kKeepAlive + "\r\n"},
        {"url only", 0, "", "", {}, "/", "", "", "GET / HTTP/1.1", defaults + kNoCache + kKeepAlive + "\r\n"},
        {"a caller Accept suppresses the default one",
         0,
         "Accept: */*",
         "",
         {},
         "/",
         "",
         "",
         "GET / HTTP/1.1",
         "Accept: */*\r\n" + kDefaultAgent + kDefaultLanguages + kNoCache + kKeepAlive + "\r\n"},
        {"POST: the exact Content-Type search adds the default, which replaces the caller's",
         1,
         "content-type: text/plain",
         "a=1&b=2",
         {},
         "/form",
         "",
         "",
         "POST /form HTTP/1.1",
         defaults + "Content-Type: application/x-www-form-urlencoded\r\n" + kNoCache + kKeepAlive +
             "Content-Length: 7\r\n\r\na=1&b=2"},
        {"supplied cookies become a Cookie line", 0, "", "", "a=1", "/", "", "", "GET / HTTP/1.1",
         defaults + kNoCache + "Cookie: a=1\r\n" + kKeepAlive + "\r\n"},
        {"supplied but empty cookies add no line", 0, "", "", "", "/", "", "", "GET / HTTP/1.1",
         defaults + kNoCache + kKeepAlive + "\r\n"},
        {"a method index outside the table sends GET",
         9,
         "",
         "",
         {},
         "/",
         "",
         "",
         "GET / HTTP/1.1",
         defaults + kNoCache + kKeepAlive + "\r\n"},
        {"PUT without a body still says Content-Length: 0",
         3,
         "",
         "",
         {},
         "/put",
         "",
         "",
         "PUT /put HTTP/1.1",
         defaults + kNoCache + kKeepAlive + "Content-Length: 0\r\n\r\n"},
        {"DELETE with a body carries it",
         5,
         "",
         "x",
         {},
         "/d",
         "",
         "",
         "DELETE /d HTTP/1.1",
         defaults + kNoCache + kKeepAlive + "Content-Length: 1\r\n\r\nx"},
        {"no path: the root, and the query goes too",
         0,
         "",
         "",
         {},
         "?x=1",
         "",
         "",
         "GET / HTTP/1.1",
         defaults + kNoCache + kKeepAlive + "\r\n"},
        {"the fragment stays home; GBK and blanks are escaped",
         0,
         "",
         "",
         {},
         "/a b\xd6\xd0?k=\xce\xc4#frag",
         "",
         "",
         "GET /a%20b%D6%D0?k=%CE%C4 HTTP/1.1",
         defaults + kNoCache + kKeepAlive + "\r\n"},
        {"a lone LF or CR ends a line; a later line replaces the earlier of the same name",
         0,
         "X-A: 1\nX-B:2\rx-a: 3\r\nX-Empty:",
         "",
         {},
         "/",
         "",
         "",
         "GET / HTTP/1.1",
         "X-B: 2\r\nx-a: 3\r\nX-Empty:\r\n" + defaults + kNoCache + kKeepAlive + "\r\n"},
        {"basic authentication with both texts",
         0,
         "",
         "",
         {},
         "/",
         "user",
         "pass",
         "GET / HTTP/1.1",
         defaults + kNoCache + kKeepAlive + "\r\n"},
        {"no authentication without a password",
         0,
         "",
         "",
         {},
         "/",
         "user",
         "",
         "GET / HTTP/1.1",
         defaults + kNoCache + kKeepAlive + "\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LoopbackServer server;
        server.Answer(kOk);
        std::string cookies = c.cookies.value_or("");
        PageRequestArgs args;
        args.method = c.method;
        args.headers = c.headers;
        args.postData = c.postData;
        args.cookies = c.cookies ? &cookies : nullptr;
        args.userName = c.user;
        args.password = c.password;
        EXPECT_EQ(PageRequest(server.Url(c.path), args), "hi");
        std::vector<std::string> requests = server.Requests();
        ASSERT_EQ(requests.size(), 1u);
        std::string auth = c.user == "user" && c.password == "pass" ? "Authorization: Basic dXNlcjpwYXNz\r\n" : "";
        EXPECT_EQ(requests[0], c.expectedLine + "\r\n" + HostLine(server) + auth + c.expectedAfterHost);
    }
}

TEST(PageRequestWire, HeadReadsNoBody) {
    LoopbackServer server;
    // A HEAD answer announces a length it does not send.
    server.AnswerSteps(
        {ServerStep::Receive(), ServerStep::Send("HTTP/1.1 200 OK\r\nContent-Length: 50\r\n\r\n"), ServerStep::Hang()});
    std::string status;
    PageRequestArgs args;
    args.method = 2;
    args.status = &status;
    args.timeoutSeconds = 5;
    Clock::time_point start = Clock::now();
    EXPECT_EQ(PageRequest(server.Url("/h"), args), "");
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(2));
    EXPECT_EQ(status, "200 OK");
    EXPECT_EQ(RequestLine(server.Requests().at(0)), "HEAD /h HTTP/1.1");
}

TEST(PageRequestWire, ProxyCarriesHttpAsAbsoluteTargetAndHttpsThroughConnect) {
    LoopbackServer proxy;
    proxy.Answer(kOk);
    proxy.Answer("HTTP/1.1 403 Forbidden\r\nContent-Length: 0\r\n\r\n");
    PageRequestArgs args;
    std::string proxyAddress = "127.0.0.1:" + std::to_string(proxy.Port());
    args.proxy = proxyAddress;
    args.proxyUser = "pu";
    args.proxyPassword = "pp";
    std::string status;
    args.status = &status;
    // Port 1 is never contacted: the proxy is.
    EXPECT_EQ(PageRequest("http://127.0.0.1:1/page?q=1", args), "hi");
    EXPECT_EQ(PageRequest("https://127.0.0.1:1/page", args), "");
    EXPECT_GBK_EQ(G("711 发送请求失败!"), status);

    std::vector<std::string> requests = proxy.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0], "GET http://127.0.0.1:1/page?q=1 HTTP/1.1\r\nHost: 127.0.0.1:1\r\n"
                           "Proxy-Authorization: Basic cHU6cHA=\r\n" +
                               kDefaultAgent + kDefaultAccept + kDefaultLanguages + kNoCache + kKeepAlive + "\r\n");
    EXPECT_EQ(RequestLine(requests[1]), "CONNECT 127.0.0.1:1 HTTP/1.1");
    EXPECT_NE(requests[1].find("Proxy-Authorization: Basic cHU6cHA=\r\n"), std::string::npos);
    // The target's headers stay inside the tunnel.
    EXPECT_EQ(requests[1].find("Accept-Language"), std::string::npos);
}

struct Outputs {
    std::string received = "keep";
    std::string headers = "keep";
    std::string location = "keep";
    std::string status = "keep";
    std::string bytes = "keep";

    PageRequestArgs Args() {
        PageRequestArgs args;
        args.receivedCookies = &received;
        args.responseHeaders = &headers;
        args.location = &location;
        args.status = &status;
        args.responseBytes = &bytes;
        return args;
    }
};

TEST(PageRequestResponse, StatusCodeDoesNotFailTheCall) {
    LoopbackServer server;
    server.Answer("HTTP/1.1 404 Not Found\r\nContent-Length: 7\r\n\r\nmissing");
    Outputs out;
    EXPECT_EQ(PageRequest(server.Url(), out.Args()), "missing");
    EXPECT_EQ(out.status, "404 Not Found");
    EXPECT_EQ(out.headers, "HTTP/1.1 404 Not Found\r\nContent-Length: 7\r\n\r\n");
    EXPECT_EQ(out.received, "");
    EXPECT_EQ(out.location, "keep"); // no Location line, nothing written
}

TEST(PageRequestResponse, CookiesLocationAndNormalisedHeaders) {
    LoopbackServer server;
    server.Answer("HTTP/1.1 200 OK\r\nSet-Cookie: a=1; path=/\r\nset-cookie: b=2\r\nlocation: /next\r\n"
                  "Content-Length: 0\r\n\r\n");
    Outputs out;
    EXPECT_EQ(PageRequest(server.Url(), out.Args()), "");
    EXPECT_EQ(out.received, "a=1; b=2");
    EXPECT_EQ(out.location, "/next");
    EXPECT_EQ(out.headers, "HTTP/1.1 200 OK\r\nSet-Cookie: a=1; path=/\r\nSet-Cookie: b=2\r\nlocation: /next\r\n"
                           "Content-Length: 0\r\n\r\n");
    EXPECT_EQ(out.bytes, "");
}

TEST(PageRequestResponse, SuppliedCookiesAreMergedIntoBothOutputs) {
    LoopbackServer server;
    server.Answer("HTTP/1.1 200 OK\r\nSet-Cookie: a=2\r\nContent-Length: 0\r\n\r\n");
    server.Answer("HTTP/1.1 200 OK\r\nSet-Cookie: a=2\r\nContent-Length: 0\r\n\r\n");
    std::string sent = "a=1; c=3";
    std::string received = "a=2";
    const std::string merged = MergeCookies(sent, received);

    Outputs out;
    std::string cookies = "a=1; c=3";
    PageRequestArgs args = out.Args();
    args.cookies = &cookies;
    PageRequest(server.Url(), args);
    EXPECT_EQ(cookies, merged);
    EXPECT_EQ(out.received, merged);

    cookies = "a=1; c=3";
    args.mergeCookies = false;
    PageRequest(server.Url(), args);
    EXPECT_EQ(cookies, "a=1; c=3");
    EXPECT_EQ(out.received, "a=2");
}

TEST(PageRequestResponse, BodyTextEndsAtTheFirstZeroByte) {
    LoopbackServer server;
    server.Answer(std::string("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nab\0cd", 43));
    Outputs out;
    EXPECT_EQ(PageRequest(server.Url(), out.Args()), "ab");
    EXPECT_EQ(out.bytes, std::string("ab\0cd", 5));
}

TEST(PageRequestResponse, DeclaredCharsetIsDecoded) {
    LoopbackServer server;
    const std::string page = "<meta charset=\"utf-8\"><p>\xe4\xb8\xad\xe6\x96\x87</p>"; // 中文 in UTF-8
    server.Answer("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(page.size()) + "\r\n\r\n" + page);
    Outputs out;
    EXPECT_GBK_EQ(G("<meta charset=\"utf-8\"><p>中文</p>"), PageRequest(server.Url(), out.Args()));
    EXPECT_EQ(out.bytes, page);
}

TEST(PageRequestResponse, ChunkedBodyIsJoined) {
    LoopbackServer server;
    server.Answer(
        "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nabc\r\n2\r\nde\r\n0\r\nX-Trailer: t\r\n\r\n");
    Outputs out;
    EXPECT_EQ(PageRequest(server.Url(), out.Args()), "abcde");
    EXPECT_EQ(out.headers, "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n");
}

// A body that breaks off is no failure: the bytes so far, with the status text.
TEST(PageRequestResponse, BrokenBodyGivesTheBytesSoFar) {
    struct Case {
        const char* name;
        ServerStep end;
    };
    const Case cases[] = {{"connection closed", ServerStep::Close()}, {"server falls silent", ServerStep::Hang()}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LoopbackServer server;
        server.AnswerSteps(
            {ServerStep::Receive(), ServerStep::Send("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nabc"), c.end});
        Outputs out;
        PageRequestArgs args = out.Args();
        args.timeoutSeconds = 1;
        EXPECT_EQ(PageRequest(server.Url(), args), "abc");
        EXPECT_EQ(out.status, "200 OK");
        EXPECT_EQ(out.bytes, "abc");
        EXPECT_EQ(out.headers, "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n");
    }
}

TEST(PageRequestRedirect, FollowedResponseIsTheOnlyOneReported) {
    LoopbackServer server;
    server.Answer(Redirect(302, "/next", "Set-Cookie: r=1\r\n"));
    server.Answer(kOk);
    Outputs out;
    EXPECT_EQ(PageRequest(server.Url("/start"), out.Args()), "hi");
    EXPECT_EQ(out.status, "200 OK");
    EXPECT_EQ(out.headers, "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\n");
    EXPECT_EQ(out.received, "");
    EXPECT_EQ(out.location, "keep");
    std::vector<std::string> requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(RequestLine(requests[1]), "GET /next HTTP/1.1");
}

TEST(PageRequestRedirect, MethodAndBodyAfterARedirect) {
    struct Case {
        int method;
        int code;
        std::string expectedLine; // of the followed request
        std::string expectedBody;
    };
    const Case cases[] = {
        {1, 302, "GET /next HTTP/1.1", ""},     {1, 301, "GET /next HTTP/1.1", ""},
        {1, 300, "GET /next HTTP/1.1", ""},     {1, 303, "GET /next HTTP/1.1", ""},
        {1, 307, "POST /next HTTP/1.1", "a=1"}, {1, 308, "POST /next HTTP/1.1", "a=1"},
        {2, 303, "HEAD /next HTTP/1.1", ""},    {3, 303, "GET /next HTTP/1.1", ""},
        {3, 302, "PUT /next HTTP/1.1", "a=1"},  {5, 303, "GET /next HTTP/1.1", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.method) + " after " + std::to_string(c.code));
        LoopbackServer server;
        server.Answer(Redirect(c.code, "/next"));
        server.Answer("HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n");
        std::string status;
        PageRequestArgs args;
        args.method = c.method;
        args.postData = "a=1";
        args.status = &status;
        PageRequest(server.Url("/start"), args);
        EXPECT_EQ(status, "200 OK");
        std::vector<std::string> requests = server.Requests();
        ASSERT_EQ(requests.size(), 2u);
        EXPECT_EQ(RequestLine(requests[1]), c.expectedLine);
        EXPECT_EQ(RequestBody(requests[1]), c.expectedBody);
        EXPECT_EQ(requests[1].find("Content-Length") != std::string::npos, !c.expectedBody.empty());
    }
}

TEST(PageRequestRedirect, TenAreFollowedAndTheEleventhFails) {
    for (int redirects : {10, 11}) {
        SCOPED_TRACE(redirects);
        LoopbackServer server;
        for (int i = 0; i < redirects; ++i)
            server.Answer(Redirect(302, "/r" + std::to_string(i + 1)));
        server.Answer(kOk);
        std::string status;
        PageRequestArgs args;
        args.status = &status;
        std::string body = PageRequest(server.Url("/r0"), args);
        if (redirects == 10) {
            EXPECT_EQ(body, "hi");
            EXPECT_EQ(status, "200 OK");
        } else {
            EXPECT_EQ(body, "");
            EXPECT_GBK_EQ(G("712 服务器未响应!"), status);
        }
        EXPECT_EQ(server.Requests().size(), 11u);
    }
}

TEST(PageRequestRedirect, RedirectHandedBackWithNoRedirectOrDowngrade) {
    TlsServer secure;
    LoopbackServer plain;
    SetExtraCaFileForTesting(TlsServer::CertificateFile());
    const std::string downgrade = plain.Url("/plain");
    secure.Answer("HTTP/1.1 302 Found\r\nLocation: " + downgrade + "\r\nContent-Length: 3\r\n\r\nold");
    plain.Answer("HTTP/1.1 302 Found\r\nLocation: /next\r\nContent-Length: 3\r\n\r\nold");

    Outputs out;
    EXPECT_EQ(PageRequest(secure.Url(), out.Args()), "old");
    EXPECT_EQ(out.status, "302 Found");
    EXPECT_EQ(out.location, downgrade);

    PageRequestArgs args = out.Args();
    args.noRedirect = true;
    EXPECT_EQ(PageRequest(plain.Url(), args), "old");
    EXPECT_EQ(out.status, "302 Found");
    EXPECT_EQ(out.location, "/next");
    EXPECT_EQ(plain.Requests().size(), 1u);
    SetExtraCaFileForTesting("");
}

TEST(PageRequestRedirect, CookiesSetOnTheWayTravelOnlyWhenSupplied) {
    struct Case {
        const char* name;
        std::optional<std::string> cookies;
        std::string expectedCookieLines; // of the followed request
    };
    const Case cases[] = {
        {"not supplied", {}, ""},
        {"supplied empty", "", "Cookie: r=1\r\n"},
        {"supplied", "a=1", "Cookie: r=1; a=1\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LoopbackServer server;
        server.Answer(Redirect(302, "/next", "Set-Cookie: r=1; path=/\r\n"));
        server.Answer(kOk);
        std::string cookies = c.cookies.value_or("");
        PageRequestArgs args;
        args.cookies = c.cookies ? &cookies : nullptr;
        EXPECT_EQ(PageRequest(server.Url("/start"), args), "hi");
        std::vector<std::string> requests = server.Requests();
        ASSERT_EQ(requests.size(), 2u);
        std::string cookieLines;
        for (std::size_t at = requests[1].find("\r\nCookie:"); at != std::string::npos;
             at = requests[1].find("\r\nCookie:", at + 2))
            cookieLines += requests[1].substr(at + 2, requests[1].find("\r\n", at + 2) - at);
        EXPECT_EQ(cookieLines, c.expectedCookieLines);
    }
}

TEST(PageRequestRedirect, CredentialsStayWithTheirServer) {
    LoopbackServer first;
    LoopbackServer other;
    first.Answer(Redirect(302, "/same"));
    first.Answer(Redirect(302, other.Url("/other")));
    other.Answer(kOk);
    PageRequestArgs args;
    args.userName = "user";
    args.password = "pass";
    EXPECT_EQ(PageRequest(first.Url(), args), "hi");
    const std::string auth = "\r\nAuthorization: Basic dXNlcjpwYXNz\r\n";
    ASSERT_EQ(first.Requests().size(), 2u);
    EXPECT_NE(first.Requests()[1].find(auth), std::string::npos);
    EXPECT_EQ(other.Requests().at(0).find("Authorization"), std::string::npos);
}

TEST(PageRequestTls, TrustedFixtureCertificateIsAccepted) {
    TlsServer server;
    server.Answer(kOk);
    SetExtraCaFileForTesting(TlsServer::CertificateFile());
    std::string status;
    PageRequestArgs args;
    args.status = &status;
    EXPECT_EQ(PageRequest(server.Url("/s"), args), "hi");
    EXPECT_EQ(status, "200 OK");
    EXPECT_EQ(RequestLine(server.Requests().at(0)), "GET /s HTTP/1.1");
    SetExtraCaFileForTesting("");
}

// Every case fails before a response: only status is written.
TEST(PageRequestFailure, CodesAndUntouchedOutputs) {
    LoopbackServer closed;
    const std::string closedUrl = closed.Url();
    closed.Stop();
    LoopbackServer server;
    TlsServer secure;

    struct Case {
        const char* name;
        std::string url;
        std::string headers;
        std::string extraCa; // trusted besides the system store
        const char* expected;
    };
    const std::string hugeLine = "X-Big: " + std::string(1 << 20, 'x') + "\r\n";
    const Case cases[] = {
        {"empty url", "", "", "", "701 解析URL地址失败!"},
        {"ftp url", "ftp://x", "", "", "701 解析URL地址失败!"},
        {"no scheme", "127.0.0.1/x", "", "", "701 解析URL地址失败!"},
        {"no host", "http:///x", "", "", "701 解析URL地址失败!"},
        {"bad port", "http://127.0.0.1:99999/", "", "", "701 解析URL地址失败!"},
        {"line without a name", server.Url(), ":x", "", "710 设置协议头失败!"},
        {"line without a colon", server.Url(), "cd", "", "710 设置协议头失败!"},
        {"name with blanks", server.Url(), " e :f", "", "710 设置协议头失败!"},
        {"smuggled line after a lone LF", server.Url(), "X-A: 1\nbad line", "", "710 设置协议头失败!"},
        {"closed port", closedUrl, "", "", "711 发送请求失败!"},
        {"certificate not trusted", secure.Url(), "", "", "711 发送请求失败!"},
        {"certificate not trusted, another CA added", secure.Url(), "", test::FixtureFile("unrelated-cert.pem"),
         "711 发送请求失败!"},
        {"silent server", server.Url(), "", "", "712 服务器未响应!"},
        {"reply without a status line", server.Url(), "", "", "712 服务器未响应!"},
        {"connection closed before any reply", server.Url(), "", "", "712 服务器未响应!"},
        {"a 1 MB header line", server.Url(), "", "", "712 服务器未响应!"},
    };
    server.AnswerSteps({ServerStep::Receive(), ServerStep::Hang()});
    server.Answer("hello\r\n\r\n");
    server.AnswerSteps({ServerStep::Receive(), ServerStep::Close()});
    server.Answer("HTTP/1.1 200 OK\r\n" + hugeLine + "Content-Length: 0\r\n\r\n");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetExtraCaFileForTesting(c.extraCa);
        Outputs out;
        std::string cookies = "a=1";
        PageRequestArgs args = out.Args();
        args.headers = c.headers;
        args.cookies = &cookies;
        args.timeoutSeconds = 1;
        Clock::time_point start = Clock::now();
        EXPECT_EQ(PageRequest(c.url, args), "");
        EXPECT_LT(Clock::now() - start, std::chrono::seconds(3));
        EXPECT_GBK_EQ(G(c.expected), out.status);
        EXPECT_EQ(out.received + out.headers + out.location + out.bytes + cookies, "keepkeepkeepkeepa=1");
    }
    SetExtraCaFileForTesting("");
}

std::vector<Clock::time_point> g_pumpCalls;

void RecordPump() {
    g_pumpCalls.push_back(Clock::now());
}

TEST(PageRequestPump, WindowGetsTurnsWhileTheServerStalls) {
    LoopbackServer server;
    server.AnswerSteps({ServerStep::Receive(), ServerStep::Sleep(1000), ServerStep::Send(kOk), ServerStep::Close()});
    g_pumpCalls.clear();
    InstallUiPump(nullptr, RecordPump);
    Clock::time_point start = Clock::now();
    std::string body = PageRequest(server.Url());
    Clock::time_point end = Clock::now();
    InstallUiPump(nullptr, nullptr);

    EXPECT_EQ(body, "hi");
    ASSERT_FALSE(g_pumpCalls.empty());
    Clock::duration largestGap = g_pumpCalls.front() - start;
    for (std::size_t i = 1; i < g_pumpCalls.size(); ++i)
        largestGap = std::max(largestGap, g_pumpCalls[i] - g_pumpCalls[i - 1]);
    largestGap = std::max(largestGap, end - g_pumpCalls.back());
    EXPECT_LT(largestGap, std::chrono::milliseconds(200));
    EXPECT_GE(end - start, std::chrono::milliseconds(1000));
}

TEST(PageRequestPump, FailuresStillGiveTheWindowATurn) {
    g_pumpCalls.clear();
    InstallUiPump(nullptr, RecordPump);
    PageRequest("");
    PageRequestArgs badHeaders;
    badHeaders.headers = "cd";
    PageRequest("http://127.0.0.1:1/", badHeaders);
    InstallUiPump(nullptr, nullptr);
    EXPECT_EQ(g_pumpCalls.size(), 2u);
}

} // namespace
} // namespace sw
