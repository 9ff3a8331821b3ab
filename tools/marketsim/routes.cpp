#include "tools/marketsim/routes.h"

#include "tools/marketsim/shop_pages.h"

#include <charconv>
#include <vector>

namespace sw::marketsim {
namespace {

constexpr const char* kJson = "application/json; charset=utf-8";
constexpr std::size_t kMaxCountedPaths = 1000;

using Pairs = std::vector<std::pair<std::string, std::string>>;

Pairs DecodeQuery(std::string_view query) {
    Pairs pairs;
    while (!query.empty()) {
        std::size_t amp = query.find('&');
        std::string_view part = query.substr(0, amp);
        query = amp == std::string_view::npos ? std::string_view() : query.substr(amp + 1);
        if (part.empty())
            continue;
        std::size_t equals = part.find('=');
        pairs.emplace_back(PercentDecode(part.substr(0, equals)),
                           equals == std::string_view::npos ? std::string() : PercentDecode(part.substr(equals + 1)));
    }
    return pairs;
}

std::string QueryValue(const Pairs& pairs, std::string_view key) {
    for (const auto& [name, value] : pairs)
        if (name == key)
            return value;
    return {};
}

std::optional<int> ParseInt(std::string_view text) {
    int value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::string PercentEncode(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        if ((byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') || (byte >= '0' && byte <= '9') || c == '-' ||
            c == '_' || c == '.' || c == '~') {
            out += c;
        } else {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
        }
    }
    return out;
}

// This server's own origin: redirects must keep the client on loopback
// whatever Host it was sent.
std::string Origin(const Request& request) {
    return std::string(request.https ? "https" : "http") + "://127.0.0.1:" + std::to_string(request.localPort);
}

Response Html(std::string body) {
    Response response;
    response.body = std::move(body);
    return response;
}

Response Text(int status, std::string body) {
    Response response;
    response.status = status;
    response.contentType = "text/plain; charset=utf-8";
    response.body = std::move(body);
    return response;
}

const std::string kVerifyPage =
    "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>验证码拦截</title>"
    "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\"></head><body>"
    "<div class=\"warnning-text\">亲，小二正忙，滑动一下马上回来</div>"
    "<div id=\"nocaptcha\" class=\"nc-container\"><div id=\"nc_1_wrapper\" class=\"nc_wrapper\">"
    "<span class=\"nc-lang-cnt\">请按住滑块，拖动到最右边</span></div></div>"
    "<script>window._config_ = {\"action\":\"captcha\",\"HOST\":\"sec.taobao.com\",\"PATH\":\"/query.htm\"};</script>"
    "</body></html>\n";

const std::string kLoginPage =
    "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>淘宝网 - 淘！我喜欢</title></head><body>"
    "<div class=\"login-box\"><h3>密码登录</h3><form id=\"login-form\" method=\"post\" action=\"/member/login.jhtml\">"
    "<input name=\"fm-login-id\" placeholder=\"会员名/邮箱/手机号\"><input name=\"fm-login-password\" "
    "type=\"password\" placeholder=\"请输入登录密码\"><button type=\"submit\">登录</button></form>"
    "<a href=\"/member/reg/fast/union_reg.htm\">免费注册</a></div></body></html>\n";

const std::string kProbePage =
    "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>ok</title></head><body>ok</body></html>\n";

// The maker's about page, as the program's about tab shows it.
const std::string kAboutPage =
    "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>关于 Stallwatch</title></head><body>"
    "<h2>Stallwatch 店铺采集</h2><p>输入关键词，选择排序、店铺类型和好评率，设置采集页数与销量、宝贝数范围，"
    "即可采集同行店铺并导出为 Excel、CSV 或文本文件。</p>"
    "<p>这是本机的模拟市场页面：演示与测试中的所有数据都来自它，不会访问真实的淘宝网。</p></body></html>\n";

// What a broken update host sends instead of the record: the hosting panel's page.
const std::string kUpdateErrorPage =
    "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>网站维护中</title></head><body>"
    "<h1>网站维护中</h1><p>该页面暂时无法访问，请稍后再试。</p></body></html>\n";

Response Suggest(const Request& request) {
    Pairs query = DecodeQuery(request.query);
    std::string json = "{\"result\":[";
    bool first = true;
    for (const auto& [phrase, count] : Suggestions(QueryValue(query, "q"))) {
        json += first ? "[" : ",[";
        first = false;
        AppendJsonString(json, phrase);
        json += ",\"" + std::to_string(count) + "\"]";
    }
    json += "]}";
    Response response;
    response.contentType = kJson;
    // A named callback asks for JSONP; only a plain identifier is echoed back.
    std::string callback = QueryValue(query, "callback");
    bool identifier = !callback.empty() && callback.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTU"
                                                                      "VWXYZ0123456789_$.") == std::string::npos;
    if (identifier) {
        response.contentType = "text/javascript; charset=utf-8";
        response.body = callback + "(" + json + ")";
    } else {
        response.body = std::move(json);
    }
    return response;
}

Response LoginRedirect(const Request& request) {
    Response response;
    response.status = 302;
    response.headers.emplace_back("Location", Origin(request) + "/member/login.jhtml?redirectURL=" +
                                                  PercentEncode(Origin(request) + request.target));
    response.body = "<html><body>302 Found</body></html>\n";
    return response;
}

} // namespace

std::optional<UpdateMode> ParseUpdateMode(std::string_view name) {
    if (name == "ok")
        return UpdateMode::Ok;
    if (name == "empty")
        return UpdateMode::Empty;
    if (name == "html")
        return UpdateMode::Html;
    return std::nullopt;
}

Routes::Routes(FaultPlan fault, UpdateRecord update) : faults_(fault), update_(std::move(update)) {}

Response Routes::Handle(const Request& request) {
    // The counters leave out their own reader, so polling them changes nothing.
    if (request.path == "/_stats")
        return Stats();
    {
        std::lock_guard lock(mutex_);
        ++requests_;
        auto it = paths_.find(request.path);
        if (it != paths_.end())
            ++it->second;
        else
            ++paths_[paths_.size() < kMaxCountedPaths ? request.path : std::string("(other)")];
    }
    if (request.path == "/search")
        return Search(request);
    if (request.path == "/_control")
        return Control(request);
    if (request.path == "/soft/stallwatch_info.php")
        return Update();
    if (request.path == "/sug")
        return Suggest(request);
    if (request.path == "/member/login.jhtml")
        return Html(kLoginPage);
    if (request.path == "/pinglun.html")
        return Html(kAboutPage);
    return Html(kProbePage);
}

Response Routes::Search(const Request& request) {
    FaultPlan plan = faults_.Take();
    {
        std::lock_guard lock(mutex_);
        ++searches_;
        if (plan.fault != Fault::None)
            ++faultedSearches_;
    }
    Response response;
    response.contentType = kJson;
    switch (plan.fault) {
    case Fault::Empty:
        return response;
    case Fault::Verify:
        return Html(kVerifyPage);
    case Fault::Login:
        return LoginRedirect(request);
    case Fault::Slow:
        response.delayMs = plan.delayMs;
        break;
    case Fault::Cut:
        response.cut = true;
        break;
    case Fault::None:
        break;
    }
    response.body = ShopPageJson(ParseShopQuery(request.query));
    return response;
}

Response Routes::Control(const Request& request) {
    FaultPlan plan = faults_.Current();
    bool faultGiven = false;
    bool timesGiven = false;
    bool resetStats = false;
    UpdateRecord update;
    {
        std::lock_guard lock(mutex_);
        update = update_;
    }
    // Every parameter is checked before any takes effect, so a typo changes nothing.
    for (const auto& [key, value] : DecodeQuery(request.query)) {
        if (key == "fault") {
            std::optional<Fault> fault = ParseFault(value);
            if (!fault)
                return Text(400, "unknown fault: " + value + "\n");
            plan.fault = *fault;
            faultGiven = true;
        } else if (key == "times" || key == "delay_ms") {
            std::optional<int> number = ParseInt(value);
            if (!number || (key == "delay_ms" && *number < 0))
                return Text(400, "bad number for " + key + ": " + value + "\n");
            (key == "times" ? plan.times : plan.delayMs) = *number;
            timesGiven = timesGiven || key == "times";
        } else if (key == "update_version") {
            update.version = value;
        } else if (key == "update_degree") {
            update.degree = value;
        } else if (key == "update_notice") {
            update.notice = ValidUtf8(value);
        } else if (key == "update_url") {
            update.url = value;
        } else if (key == "update_mode") {
            std::optional<UpdateMode> mode = ParseUpdateMode(value);
            if (!mode)
                return Text(400, "unknown update mode: " + value + "\n");
            update.mode = *mode;
        } else if (key == "reset_stats") {
            resetStats = true;
        } else {
            return Text(400, "unknown parameter: " + key + "\n");
        }
    }
    // A new fault without a count lasts until it is changed.
    if (faultGiven && !timesGiven)
        plan.times = -1;
    faults_.Set(plan);
    std::lock_guard lock(mutex_);
    update_ = std::move(update);
    if (resetStats) {
        requests_ = searches_ = faultedSearches_ = 0;
        paths_.clear();
    }
    return Text(200, "ok");
}

Response Routes::Stats() {
    std::string json;
    {
        std::lock_guard lock(mutex_);
        json = "{\"requests\":" + std::to_string(requests_) + ",\"search\":" + std::to_string(searches_) +
               ",\"searchFaulted\":" + std::to_string(faultedSearches_) + ",\"paths\":{";
        bool first = true;
        for (const auto& [path, count] : paths_) {
            if (!first)
                json += ',';
            first = false;
            AppendJsonString(json, ValidUtf8(path));
            json += ':' + std::to_string(count);
        }
    }
    FaultPlan plan = faults_.Current();
    json +=
        "},\"fault\":\"" + std::string(FaultName(plan.fault)) + "\",\"faultTimes\":" + std::to_string(plan.times) + "}";
    Response response;
    response.contentType = kJson;
    response.body = std::move(json);
    return response;
}

Response Routes::Update() {
    UpdateRecord update;
    {
        std::lock_guard lock(mutex_);
        update = update_;
    }
    Response response;
    response.contentType = kJson;
    if (update.mode == UpdateMode::Empty)
        return response;
    if (update.mode == UpdateMode::Html)
        return Html(kUpdateErrorPage);
    // Written the way a PHP service writes it: non-ASCII as \u escapes, slashes escaped.
    std::string& json = response.body;
    json = "{\"version\":";
    AppendJsonString(json, update.version, true);
    json += ",\"degree\":";
    AppendJsonString(json, update.degree, true);
    json += ",\"notice\":";
    AppendJsonString(json, update.notice, true);
    json += ",\"url\":";
    AppendJsonString(json, update.url, true);
    json += '}';
    return response;
}

} // namespace sw::marketsim
