#include "web/page_request.h"

#include "text/service_settings.h"
#include "text/text_cut.h"
#include "text/ui_pump.h"
#include "text/url_encode.h"
#include "web/body_charset.h"
#include "web/cookie_merge.h"
#include "web/tls_trust.h"

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace sw {

namespace {

std::mutex g_trustMutex;
std::string g_testCaFile;

} // namespace

std::string ExtraCaFile() {
    {
        std::lock_guard lock(g_trustMutex);
        if (!g_testCaFile.empty())
            return g_testCaFile;
    }
    return Services().caFile;
}

void SetExtraCaFileForTesting(std::string path) {
    std::lock_guard lock(g_trustMutex);
    g_testCaFile = std::move(path);
}

namespace {

// The failure texts, GBK; each comment gives the text in UTF-8.
// 700 当前系统不支持WinHttp服务!
constexpr const char* kNoService =
    "700 \xb5\xb1\xc7\xb0\xcf\xb5\xcd\xb3\xb2\xbb\xd6\xa7\xb3\xd6WinHttp\xb7\xfe\xce\xf1!";
// 701 解析URL地址失败!
constexpr const char* kBadUrl = "701 \xbd\xe2\xce\xf6URL\xb5\xd8\xd6\xb7\xca\xa7\xb0\xdc!";
// 702 创建WinHttp会话失败!
constexpr const char* kNoSession = "702 \xb4\xb4\xbd\xa8WinHttp\xbb\xe1\xbb\xb0\xca\xa7\xb0\xdc!";
// 703 创建WinHttp连接失败!
constexpr const char* kNoConnection = "703 \xb4\xb4\xbd\xa8WinHttp\xc1\xac\xbd\xd3\xca\xa7\xb0\xdc!";
// 704 创建WinHttp请求失败!
constexpr const char* kNoRequest = "704 \xb4\xb4\xbd\xa8WinHttp\xc7\xeb\xc7\xf3\xca\xa7\xb0\xdc!";
// 705 设置超时时间失败!
constexpr const char* kNoTimeouts = "705 \xc9\xe8\xd6\xc3\xb3\xac\xca\xb1\xca\xb1\xbc\xe4\xca\xa7\xb0\xdc!";
// 707 设置代理凭证失败!
constexpr const char* kNoCredentials = "707 \xc9\xe8\xd6\xc3\xb4\xfa\xc0\xed\xc6\xbe\xd6\xa4\xca\xa7\xb0\xdc!";
// 708 禁止自动设置Cookies失败!
constexpr const char* kNoCookieOption = "708 \xbd\xfb\xd6\xb9\xd7\xd4\xb6\xaf\xc9\xe8\xd6\xc3"
                                        "Cookies\xca\xa7\xb0\xdc!";
// 710 设置协议头失败!
constexpr const char* kHeadersRefused = "710 \xc9\xe8\xd6\xc3\xd0\xad\xd2\xe9\xcd\xb7\xca\xa7\xb0\xdc!";
// 711 发送请求失败!
constexpr const char* kSendFailed = "711 \xb7\xa2\xcb\xcd\xc7\xeb\xc7\xf3\xca\xa7\xb0\xdc!";
// 712 服务器未响应!
constexpr const char* kNoResponse = "712 \xb7\xfe\xce\xf1\xc6\xf7\xce\xb4\xcf\xec\xd3\xa6!";
// 709 (redirects cannot be switched off) cannot happen: redirects are followed
// here, not by libcurl. 713 (body broken off) is always overwritten by the
// status text, so it never reaches the caller.

constexpr const char* kMethods[] = {"GET", "POST", "HEAD", "PUT", "OPTIONS", "DELETE", "TRACE", "CONNECT"};
constexpr int kMaxRedirects = 10;

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Lower(x) == Lower(y); });
}

std::size_t FindNoCase(std::string_view text, std::string_view what, std::size_t from = 0) {
    auto it = std::search(text.begin() + static_cast<std::ptrdiff_t>(std::min(from, text.size())), text.end(),
                          what.begin(), what.end(), [](char x, char y) { return Lower(x) == Lower(y); });
    return it == text.end() && !what.empty() ? std::string_view::npos : static_cast<std::size_t>(it - text.begin());
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && EqualNoCase(text.substr(0, prefix.size()), prefix);
}

// ---- URL -------------------------------------------------------------------

struct Url {
    bool https = false;
    std::string host; // brackets kept around an IPv6 address
    int port = 0;
    std::string target; // path and query, or "/"

    bool DefaultPort() const { return port == (https ? 443 : 80); }
    std::string Origin() const {
        std::string origin = https ? "https://" : "http://";
        origin += host;
        if (!DefaultPort())
            origin.append(":").append(std::to_string(port));
        return origin;
    }
};

std::optional<Url> ParseUrl(std::string_view text) {
    Url url;
    std::size_t schemeEnd = text.find("://");
    if (schemeEnd == std::string_view::npos)
        return std::nullopt;
    std::string_view scheme = text.substr(0, schemeEnd);
    if (EqualNoCase(scheme, "https"))
        url.https = true;
    else if (!EqualNoCase(scheme, "http"))
        return std::nullopt;
    std::string_view rest = text.substr(schemeEnd + 3);
    std::size_t authorityEnd = rest.find_first_of("/?#");
    std::string_view authority = rest.substr(0, authorityEnd);
    std::string_view tail = authorityEnd == std::string_view::npos ? std::string_view() : rest.substr(authorityEnd);
    if (std::size_t at = authority.rfind('@'); at != std::string_view::npos)
        authority.remove_prefix(at + 1);

    std::string_view portText;
    if (!authority.empty() && authority.front() == '[') {
        std::size_t close = authority.find(']');
        if (close == std::string_view::npos)
            return std::nullopt;
        url.host = authority.substr(0, close + 1);
        std::string_view after = authority.substr(close + 1);
        if (!after.empty()) {
            if (after.front() != ':')
                return std::nullopt;
            portText = after.substr(1);
        }
    } else {
        std::size_t colon = authority.find(':');
        url.host = authority.substr(0, colon);
        if (colon != std::string_view::npos)
            portText = authority.substr(colon + 1);
    }
    if (url.host.empty() || url.host == "[]")
        return std::nullopt;
    url.port = url.https ? 443 : 80;
    if (!portText.empty()) {
        if (portText.size() > 5 ||
            !std::all_of(portText.begin(), portText.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return std::nullopt;
        url.port = std::stoi(std::string(portText));
        if (url.port < 1 || url.port > 65535)
            return std::nullopt;
    }

    std::string_view beforeFragment = tail.substr(0, tail.find('#'));
    std::size_t queryStart = beforeFragment.find('?');
    std::string_view path = beforeFragment.substr(0, queryStart);
    // A URL without a path asks for the root, and its query goes with the missing path.
    url.target = path.empty() ? std::string("/") : EscapeUnsafeUrlBytes(beforeFragment);

    // libcurl judges whether the host is one it can use.
    CURLU* check = curl_url();
    bool valid = check != nullptr && curl_url_set(check, CURLUPART_URL, (url.Origin() + "/").c_str(), 0) == CURLUE_OK;
    curl_url_cleanup(check);
    if (!valid)
        return std::nullopt;
    return url;
}

// ---- Header block ------------------------------------------------------------

std::string BuildHeaderBlock(std::string_view headers, int method, const std::string* cookies) {
    std::string block(headers);
    if (!block.empty())
        block += "\r\n";
    auto addUnlessFound = [&block](std::string_view searched, std::string_view line, bool ignoreCase) {
        bool found = ignoreCase ? FindNoCase(block, searched) != std::string_view::npos
                                : block.find(searched) != std::string::npos;
        if (!found)
            block += line;
    };
    addUnlessFound(
        "User-Agent: ", "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)\r\n", true);
    addUnlessFound("Accept: ", "Accept: text/html, application/xhtml+xml, */*\r\n", true);
    addUnlessFound("Accept-Encoding: ", "Accept-Encoding: gbk, GB2312\r\n", true);
    addUnlessFound("Accept-Language: ", "Accept-Language: zh-cn\r\n", true);
    if (method == 1)
        addUnlessFound("Content-Type:", "Content-Type: application/x-www-form-urlencoded\r\n", false);
    addUnlessFound("Cache-Control: ", "Cache-Control: no-cache\r\n", true);
    if (cookies != nullptr && !cookies->empty())
        addUnlessFound("Cookie: ", "Cookie: " + *cookies + "\r\n", true);
    return block;
}

struct Header {
    std::string name;
    std::string value;
};

bool IsTokenChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           std::string_view("!#$%&'*+-.^_`|~").find(c) != std::string_view::npos;
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

// Applies the block line by line with add-or-replace. A lone CR or LF ends a
// line like CR LF does, so nothing in a value can slip a line past the checks.
// False when a line has no proper name.
bool ApplyHeaderBlock(std::string_view block, std::vector<Header>& headers) {
    std::size_t pos = 0;
    while (pos < block.size()) {
        std::size_t end = block.find_first_of("\r\n", pos);
        if (end == std::string_view::npos)
            end = block.size();
        std::string_view line = block.substr(pos, end - pos);
        pos = end;
        if (pos < block.size() && block[pos] == '\r')
            ++pos;
        if (pos < block.size() && block[pos] == '\n' && (pos == end || pos == end + 1))
            ++pos;
        if (line.empty())
            continue;
        std::size_t colon = line.find(':');
        if (colon == std::string_view::npos || colon == 0 ||
            !std::all_of(line.begin(), line.begin() + static_cast<std::ptrdiff_t>(colon), IsTokenChar))
            return false;
        Header header{std::string(line.substr(0, colon)), std::string(TrimBlanks(line.substr(colon + 1)))};
        auto same = std::find_if(headers.begin(), headers.end(),
                                 [&header](const Header& h) { return EqualNoCase(h.name, header.name); });
        if (same != headers.end())
            headers.erase(same);
        headers.push_back(std::move(header));
    }
    return true;
}

bool HasHeader(const std::vector<Header>& headers, std::string_view name) {
    return std::any_of(headers.begin(), headers.end(), [name](const Header& h) { return EqualNoCase(h.name, name); });
}

struct SlistDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using Slist = std::unique_ptr<curl_slist, SlistDeleter>;

// The request's header list for libcurl. libcurl's own additions are switched
// off ("Name:" with nothing after it) so that only the block and the headers
// the platform adds itself reach the wire. When the cookie engine runs, the
// Cookie header is left out: the caller hands it over separately so that libcurl
// joins it with the engine's cookies into one line.
bool MakeHeaderList(const std::vector<Header>& headers, bool cookieApart, Slist& list) {
    curl_slist* raw = nullptr;
    bool ok = true;
    auto add = [&](const std::string& line) {
        if (curl_slist* grown = curl_slist_append(raw, line.c_str()))
            raw = grown;
        else
            ok = false;
    };
    for (const Header& header : headers) {
        if (cookieApart && EqualNoCase(header.name, "Cookie"))
            continue;
        // libcurl reads "Name:" as "remove"; "Name;" sends the header empty.
        add(header.value.empty() ? header.name + ";" : header.name + ": " + header.value);
    }
    for (const char* name : {"Accept", "Expect", "Content-Type", "Proxy-Connection"})
        if (!HasHeader(headers, name))
            add(std::string(name) + ":");
    if (!HasHeader(headers, "Connection"))
        add("Connection: Keep-Alive");
    list.reset(raw);
    return ok;
}

// ---- Transfer ------------------------------------------------------------------

struct CurlDeleter {
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct MultiDeleter {
    void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};

// What one exchange (one hop of a redirect chain) produced.
struct Exchange {
    std::string body;
    std::string rawHeaders; // of the latest response, CR LF after each line
    long code = 0;
    bool headersDone = false; // the blank line of a final (not 1xx) response arrived
    bool requestStarted = false;
    std::size_t received = 0; // every byte, header or body: the progress measure
};

std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* user) {
    auto& exchange = *static_cast<Exchange*>(user);
    std::size_t length = size * count;
    exchange.received += length;
    std::string_view line(data, length);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.remove_suffix(1);
    if (line.starts_with("HTTP/")) {
        exchange.rawHeaders.clear();
        exchange.headersDone = false;
        exchange.code = 0;
        std::string_view code = line.size() > 9 ? line.substr(9, 3) : std::string_view();
        for (char c : code)
            if (c >= '0' && c <= '9')
                exchange.code = exchange.code * 10 + (c - '0');
    } else if (exchange.headersDone) {
        return length; // trailers of a chunked body belong to no header block here
    }
    exchange.rawHeaders.append(line);
    exchange.rawHeaders += "\r\n";
    if (line.empty() && (exchange.code < 100 || exchange.code >= 200))
        exchange.headersDone = true;
    return length;
}

std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* user) {
    auto& exchange = *static_cast<Exchange*>(user);
    std::size_t length = size * count;
    exchange.received += length;
    exchange.body.append(data, length); // std::string grows geometrically
    return length;
}

int OnRequestReady(void* user, char*, char*, int, int) {
    static_cast<Exchange*>(user)->requestStarted = true;
    return CURL_PREREQFUNC_OK;
}

enum class Outcome {
    Complete,
    BodyBroken, // headers arrived, the body did not finish
    NotSent,    // 711
    NoResponse, // 712
    BadUrl,     // 701
};

// Runs one exchange on the multi handle, giving the window a turn between short
// waits. libcurl limits the connect phase; from the moment the request goes out,
// the exchange ends when nothing moves for noProgressMs.
Outcome Run(CURLM* multi, CURL* easy, Exchange& exchange, curl_off_t bodySize, long noProgressMs) {
    using Clock = std::chrono::steady_clock;
    if (curl_multi_add_handle(multi, easy) != CURLM_OK)
        return Outcome::NotSent;
    CURLcode result = CURLE_OK;
    bool finished = false;
    bool stalled = false;
    bool wasStarted = false;
    std::size_t lastReceived = 0;
    curl_off_t lastSent = 0;
    Clock::time_point lastProgress = Clock::now();
    for (;;) {
        int running = 0;
        if (curl_multi_perform(multi, &running) != CURLM_OK) {
            result = CURLE_FAILED_INIT;
            finished = true;
            break;
        }
        int queued = 0;
        while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
            if (message->msg == CURLMSG_DONE && message->easy_handle == easy) {
                result = message->data.result;
                finished = true;
            }
        }
        ProcessPendingMessages();
        if (finished)
            break;
        curl_off_t sent = 0;
        curl_easy_getinfo(easy, CURLINFO_SIZE_UPLOAD_T, &sent);
        Clock::time_point now = Clock::now();
        if (exchange.requestStarted != wasStarted || exchange.received != lastReceived || sent != lastSent) {
            wasStarted = exchange.requestStarted;
            lastReceived = exchange.received;
            lastSent = sent;
            lastProgress = now;
        } else if (wasStarted &&
                   std::chrono::duration_cast<std::chrono::milliseconds>(now - lastProgress).count() >= noProgressMs) {
            stalled = true;
            break;
        }
        curl_multi_poll(multi, nullptr, 0, 10, nullptr);
    }
    curl_multi_remove_handle(multi, easy);

    if (finished && result == CURLE_OK)
        return Outcome::Complete;
    if (exchange.headersDone)
        return Outcome::BodyBroken;
    if (!exchange.requestStarted)
        return result == CURLE_URL_MALFORMAT ? Outcome::BadUrl : Outcome::NotSent;
    curl_off_t sent = 0;
    curl_easy_getinfo(easy, CURLINFO_SIZE_UPLOAD_T, &sent);
    if (sent < bodySize || (!stalled && result == CURLE_SEND_ERROR))
        return Outcome::NotSent;
    return Outcome::NoResponse;
}

bool IsRedirect(long code) {
    return code == 300 || code == 301 || code == 302 || code == 303 || code == 307 || code == 308;
}

// ---- Response ------------------------------------------------------------------

// Every "Set-Cookie" in any letter case becomes "Set-Cookie".
void NormaliseSetCookie(std::string& headers) {
    constexpr std::string_view kWord = "Set-Cookie";
    for (std::size_t at = FindNoCase(headers, kWord); at != std::string::npos;
         at = FindNoCase(headers, kWord, at + kWord.size()))
        headers.replace(at, kWord.size(), kWord);
}

std::string RemoveAllNoCase(std::string_view text, std::string_view what) {
    std::string out;
    std::size_t pos = 0;
    for (std::size_t at = FindNoCase(text, what); at != std::string_view::npos; at = FindNoCase(text, what, pos)) {
        out.append(text.substr(pos, at - pos));
        pos = at + what.size();
    }
    out.append(text.substr(pos));
    return out;
}

std::string_view TrimSpaces(std::string_view text) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

int EffectiveTimeoutSeconds(int timeoutSeconds) {
    return timeoutSeconds <= 0 ? 30 : std::min(timeoutSeconds, 24 * 3600);
}

template <typename T>
void Write(T* output, T value) {
    if (output != nullptr)
        *output = std::move(value);
}

std::string Fail(const PageRequestArgs& args, const char* message, bool pump = true) {
    Write(args.status, std::string(message));
    if (pump)
        ProcessPendingMessages();
    return {};
}

bool GlobalInit() {
    static const bool ok = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    return ok;
}

} // namespace

std::string PageRequest(std::string_view url, const PageRequestArgs& args) {
    if (!GlobalInit())
        return Fail(args, kNoService);
    std::optional<Url> target = ParseUrl(url);
    if (!target)
        return Fail(args, kBadUrl);
    std::unique_ptr<CURL, CurlDeleter> easyOwner(curl_easy_init());
    if (!easyOwner)
        return Fail(args, kNoSession);
    std::unique_ptr<CURLM, MultiDeleter> multiOwner(curl_multi_init());
    if (!multiOwner)
        return Fail(args, kNoConnection);
    CURL* easy = easyOwner.get();
    CURLM* multi = multiOwner.get();

    std::string method = kMethods[(args.method >= 0 && args.method <= 7) ? args.method : 0];
    bool sendBody = method != "HEAD"; // HEAD carries no body and reads none
    Exchange exchange;

    // The session: fixed for every hop of the call.
    bool ok = curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1)) == CURLE_OK &&
              curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https") == CURLE_OK &&
              curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L) == CURLE_OK &&
              curl_easy_setopt(easy, CURLOPT_HTTP_CONTENT_DECODING, 0L) == CURLE_OK &&
              curl_easy_setopt(easy, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L) == CURLE_OK &&
              curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, OnHeader) == CURLE_OK &&
              curl_easy_setopt(easy, CURLOPT_HEADERDATA, &exchange) == CURLE_OK &&
              curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, OnBody) == CURLE_OK &&
              curl_easy_setopt(easy, CURLOPT_WRITEDATA, &exchange) == CURLE_OK &&
              curl_easy_setopt(easy, CURLOPT_PREREQFUNCTION, OnRequestReady) == CURLE_OK &&
              curl_easy_setopt(easy, CURLOPT_PREREQDATA, &exchange) == CURLE_OK &&
              curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L) == CURLE_OK &&
              curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L) == CURLE_OK;
    if (ok && !args.proxy.empty()) {
        // The platform's proxy names ("http=host:port" for http, bare for https) both
        // send the request through the proxy: as an absolute target for http, through
        // a CONNECT tunnel for https.
        ok = curl_easy_setopt(easy, CURLOPT_PROXY, std::string(args.proxy).c_str()) == CURLE_OK &&
             curl_easy_setopt(easy, CURLOPT_PROXYTYPE, static_cast<long>(CURLPROXY_HTTP)) == CURLE_OK &&
             curl_easy_setopt(easy, CURLOPT_NOPROXY, "") == CURLE_OK;
    } else if (ok) {
        ok = curl_easy_setopt(easy, CURLOPT_PROXY, "") == CURLE_OK; // no proxy from the environment either
    }
    if (ok) {
        if (std::string extra = ExtraCaFile(); !extra.empty()) {
            // CAINFO replaces the built-in bundle; the system folder keeps the rest trusted.
            const char* systemFolder = curl_version_info(CURLVERSION_NOW)->capath;
            ok = curl_easy_setopt(easy, CURLOPT_CAINFO, extra.c_str()) == CURLE_OK &&
                 curl_easy_setopt(easy, CURLOPT_CAPATH, systemFolder ? systemFolder : "/etc/ssl/certs") == CURLE_OK;
        }
    }
    if (!ok)
        return Fail(args, kNoRequest);

    long limitMs = EffectiveTimeoutSeconds(args.timeoutSeconds) * 1000L;
    if (curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, limitMs) != CURLE_OK)
        return Fail(args, kNoTimeouts);

    bool serverAuth = !args.userName.empty() && !args.password.empty();
    if (serverAuth && (curl_easy_setopt(easy, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC)) != CURLE_OK ||
                       curl_easy_setopt(easy, CURLOPT_USERNAME, std::string(args.userName).c_str()) != CURLE_OK ||
                       curl_easy_setopt(easy, CURLOPT_PASSWORD, std::string(args.password).c_str()) != CURLE_OK))
        return Fail(args, kNoCredentials, false);
    if (!args.proxyUser.empty() && !args.proxyPassword.empty() &&
        (curl_easy_setopt(easy, CURLOPT_PROXYAUTH, static_cast<long>(CURLAUTH_BASIC)) != CURLE_OK ||
         curl_easy_setopt(easy, CURLOPT_PROXYUSERNAME, std::string(args.proxyUser).c_str()) != CURLE_OK ||
         curl_easy_setopt(easy, CURLOPT_PROXYPASSWORD, std::string(args.proxyPassword).c_str()) != CURLE_OK))
        return Fail(args, kNoCredentials, false);

    // Automatic cookies (those of a redirecting response travel on) only when the
    // caller supplies cookies; libcurl's engine starts empty for every call.
    bool cookieEngine = args.cookies != nullptr;
    if (cookieEngine && curl_easy_setopt(easy, CURLOPT_COOKIEFILE, "") != CURLE_OK)
        return Fail(args, kNoCookieOption, false);

    std::vector<Header> headers;
    if (!ApplyHeaderBlock(BuildHeaderBlock(args.headers, args.method, args.cookies), headers))
        return Fail(args, kHeadersRefused);
    std::string cookieValue;
    if (auto cookie =
            std::find_if(headers.begin(), headers.end(), [](const Header& h) { return EqualNoCase(h.name, "Cookie"); });
        cookie != headers.end())
        cookieValue = cookie->value;

    const Url origin = *target;
    for (int hop = 0;; ++hop) {
        // Past the first hop the engine may hold cookies from the redirecting
        // responses, and one Cookie line must carry both.
        bool cookieApart = cookieEngine && hop > 0;
        Slist list;
        if (!MakeHeaderList(headers, cookieApart, list))
            return Fail(args, kHeadersRefused);

        bool proxied = !args.proxy.empty() && !target->https;
        std::string requestTarget = proxied ? target->Origin() + target->target : target->target;
        curl_off_t bodySize = sendBody ? static_cast<curl_off_t>(args.postData.size()) : 0;
        // Content-Length goes with any body and with every POST and PUT.
        bool postFields = sendBody && (bodySize > 0 || method == "POST" || method == "PUT");
        ok = curl_easy_setopt(easy, CURLOPT_URL, (target->Origin() + "/").c_str()) == CURLE_OK &&
             curl_easy_setopt(easy, CURLOPT_REQUEST_TARGET, requestTarget.c_str()) == CURLE_OK &&
             curl_easy_setopt(easy, CURLOPT_HTTPHEADER, list.get()) == CURLE_OK &&
             curl_easy_setopt(easy, CURLOPT_COOKIE,
                              cookieApart && !cookieValue.empty() ? cookieValue.c_str() : nullptr) == CURLE_OK;
        if (ok && postFields)
            ok = curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, bodySize) == CURLE_OK &&
                 curl_easy_setopt(easy, CURLOPT_POSTFIELDS, bodySize > 0 ? args.postData.data() : "") == CURLE_OK;
        else if (ok)
            ok = curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L) == CURLE_OK;
        ok = ok && curl_easy_setopt(easy, CURLOPT_NOBODY, method == "HEAD" ? 1L : 0L) == CURLE_OK &&
             curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, method.c_str()) == CURLE_OK;
        if (!ok)
            return Fail(args, kNoRequest);
        if (serverAuth && hop > 0) {
            // Credentials stay with the server they were given for.
            bool sameServer = target->Origin() == origin.Origin();
            curl_easy_setopt(easy, CURLOPT_HTTPAUTH, static_cast<long>(sameServer ? CURLAUTH_BASIC : CURLAUTH_NONE));
            curl_easy_setopt(easy, CURLOPT_USERNAME, sameServer ? std::string(args.userName).c_str() : nullptr);
            curl_easy_setopt(easy, CURLOPT_PASSWORD, sameServer ? std::string(args.password).c_str() : nullptr);
        }

        exchange = Exchange();
        Outcome outcome = Run(multi, easy, exchange, bodySize, limitMs);
        if (outcome == Outcome::BadUrl)
            return Fail(args, hop == 0 ? kBadUrl : kNoResponse);
        if (outcome == Outcome::NotSent)
            return Fail(args, kSendFailed);
        if (outcome == Outcome::NoResponse)
            return Fail(args, kNoResponse);
        if (outcome == Outcome::BodyBroken || args.noRedirect || !IsRedirect(exchange.code))
            break;

        char* next = nullptr;
        curl_easy_getinfo(easy, CURLINFO_REDIRECT_URL, &next);
        std::optional<Url> nextUrl = next != nullptr ? ParseUrl(next) : std::nullopt;
        // Without a usable Location, or from https down to http, the redirect itself is the answer.
        if (!nextUrl || (target->https && !nextUrl->https))
            break;
        if (hop == kMaxRedirects)
            return Fail(args, kNoResponse);
        if ((exchange.code == 303 && method != "HEAD") || (exchange.code <= 303 && method == "POST")) {
            method = "GET";
            sendBody = false;
        }
        target = std::move(nextUrl);
    }

    std::string rawHeaders = std::move(exchange.rawHeaders);
    if (rawHeaders.empty()) {
        ProcessPendingMessages();
        return {};
    }
    NormaliseSetCookie(rawHeaders);
    Write(args.responseHeaders, rawHeaders);
    std::size_t statusEnd = rawHeaders.find("\r\n");
    Write(args.status, statusEnd > 9 ? rawHeaders.substr(9, statusEnd - 9) : std::string());

    std::string received;
    std::size_t pos = 0;
    while (pos < rawHeaders.size()) {
        std::size_t end = rawHeaders.find("\r\n", pos);
        if (end == std::string::npos)
            end = rawHeaders.size();
        std::string_view line = std::string_view(rawHeaders).substr(pos, end - pos);
        pos = end + 2;
        if (line.find("Set-Cookie") != std::string_view::npos) {
            std::string cookie = line.find(';') != std::string_view::npos ? TextBetween(line, "Set-Cookie:", ";")
                                                                          : RemoveAllNoCase(line, "Set-Cookie:");
            received.append(TrimSpaces(cookie));
            received += "; ";
        }
        if (StartsWithNoCase(line, "Location: "))
            Write(args.location, std::string(line.substr(10)));
        ProcessPendingMessages();
    }
    if (received.ends_with("; "))
        received.resize(received.size() - 2);
    if (args.cookies != nullptr && args.mergeCookies)
        received = MergeCookies(*args.cookies, received);
    Write(args.receivedCookies, std::move(received));

    std::string bodyText = exchange.body.substr(0, exchange.body.find('\0'));
    bodyText = DecodeDeclaredCharset(exchange.body, std::move(bodyText));
    Write(args.responseBytes, std::move(exchange.body));
    ProcessPendingMessages();
    return bodyText;
}

} // namespace sw
