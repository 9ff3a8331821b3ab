// The simulator as its users meet it: the built program, started as a child on
// free loopback ports and queried with the program's own web client.

#include "tools/marketsim/shop_pages.h"

#include "tests/support/marketsim_process.h"
#include "tests/support/tls_server.h"
#include "web/page_request.h"
#include "web/plain_fetch.h"
#include "web/tls_trust.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <regex>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace sw {
namespace {

using test::Simulator;

using nlohmann::json;
using Clock = std::chrono::steady_clock;

// 连衣裙, as the client sends it.
const std::string kKeyword = "%E8%BF%9E%E8%A1%A3%E8%A3%99";

std::string SearchPath(std::string_view fragment = "", int offset = 0, const std::string& keyword = kKeyword) {
    std::string path = "/search?app=shopsearch&q=" + keyword + "&js=1&initiative_id=staobaoz_20261211&ie=utf8";
    path += fragment;
    path += "&ajax=true";
    if (offset > 0)
        path += "&s=" + std::to_string(offset);
    return path;
}

struct Answer {
    std::string status;
    std::string headers;
    std::string body; // the bytes as received, UTF-8
    std::string location;
    std::chrono::milliseconds elapsed{};

    std::string Header(std::string_view name) const {
        std::string key = "\r\n" + std::string(name) + ": ";
        std::size_t at = headers.find(key);
        return at == std::string::npos
                   ? std::string()
                   : headers.substr(at + key.size(), headers.find("\r\n", at + key.size()) - at - key.size());
    }
};

Answer Fetch(const std::string& url, int method = 0, bool noRedirect = false) {
    Answer answer;
    PageRequestArgs args;
    args.method = method;
    args.noRedirect = noRedirect;
    args.timeoutSeconds = 10;
    args.status = &answer.status;
    args.responseHeaders = &answer.headers;
    args.responseBytes = &answer.body;
    args.location = &answer.location;
    Clock::time_point start = Clock::now();
    PageRequest(url, args);
    answer.elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
    return answer;
}

json Parse(const std::string& text) {
    return json::parse(text, nullptr, false);
}

json ShopItems(const json& page) {
    const json& data = page["mods"]["shoplist"]["data"];
    return data.contains("shopItems") ? data["shopItems"] : json::array();
}

int GoodRate(const json& shop) {
    std::string text = shop["goodratePercent"];
    return static_cast<int>(std::lround(std::stod(text) * 100));
}

bool Missing(const json& shop, const char* member) {
    return !shop.contains(member);
}

// One simulator for the suite; each test starts from no fault and zero counters.
class MarketsimTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        simulator_ = std::make_unique<Simulator>(MARKETSIM_PROGRAM);
        SetExtraCaFileForTesting(test::FixtureFile("localhost-cert.pem"));
    }
    static void TearDownTestSuite() {
        // A clean exit also means no sanitizer report in a sanitizer build.
        EXPECT_EQ(0, simulator_->Stop(SIGTERM));
        simulator_.reset();
        SetExtraCaFileForTesting("");
    }
    void SetUp() override {
        ASSERT_TRUE(simulator_->Running()) << simulator_->PortLine();
        ASSERT_EQ("ok", Fetch(sim().Http("/_control?fault=none&delay_ms=1000&reset_stats=1")).body);
    }

    static Simulator& sim() { return *simulator_; }
    static json Page(std::string_view fragment = "", int offset = 0) {
        return Parse(Fetch(sim().Http(SearchPath(fragment, offset))).body);
    }
    static json Stats() { return Parse(Fetch(sim().Http("/_stats")).body); }

    static inline std::unique_ptr<Simulator> simulator_;
};

TEST_F(MarketsimTest, PagesAreDeterministicDistinctAndMatchTheLibrary) {
    Answer first = Fetch(sim().Http(SearchPath()));
    Answer again = Fetch(sim().Https(SearchPath()));
    Answer second = Fetch(sim().Http(SearchPath("", 20)));

    EXPECT_EQ("200 OK", first.status);
    EXPECT_EQ("application/json; charset=utf-8", first.Header("Content-Type"));
    EXPECT_EQ("close", first.Header("Connection"));
    EXPECT_EQ(first.body, again.body);
    EXPECT_NE(first.body, second.body);
    EXPECT_EQ(first.body, marketsim::ShopPageJson(marketsim::ParseShopQuery(SearchPath().substr(8))));

    json one = ShopItems(Parse(first.body));
    json two = ShopItems(Parse(second.body));
    ASSERT_EQ(20u, one.size());
    ASSERT_EQ(20u, two.size());
    for (const json& shop : one)
        for (const json& other : two)
            EXPECT_NE(shop["shopUrl"], other["shopUrl"]);

    std::vector<marketsim::Shop> values = marketsim::PageShops(marketsim::ParseShopQuery(SearchPath("", 20).substr(8)));
    ASSERT_EQ(20u, values.size());
    for (std::size_t i = 0; i < values.size(); ++i) {
        EXPECT_EQ(values[i].shopUrl, two[i]["shopUrl"]);
        EXPECT_EQ(values[i].nick, two[i]["nick"]);
        EXPECT_EQ(values[i].totalsold, two[i]["totalsold"]);
    }
}

TEST_F(MarketsimTest, ShopsCarryTheirFieldsAndEveryPageHasItsOddities) {
    const std::regex shopUrl(R"(//shop\d+\.taobao\.com)");
    const std::regex price(R"(\d+\.\d\d)");
    for (int offset : {0, 20}) {
        SCOPED_TRACE(offset);
        int noRegion = 0, badRating = 0, noHotItems = 0, noName = 0, highlighted = 0;
        for (const json& shop : ShopItems(Page("", offset))) {
            EXPECT_FALSE(shop["nick"].get<std::string>().empty());
            EXPECT_TRUE(std::regex_match(shop["shopUrl"].get<std::string>(), shopUrl)) << shop["shopUrl"];
            EXPECT_TRUE(shop["totalsold"].is_number_integer());
            EXPECT_TRUE(shop["procnt"].is_number_integer());
            noRegion += Missing(shop, "provcity");
            noName += Missing(shop, "rawTitle") || shop["rawTitle"] == "";
            highlighted += shop.value("title", "").find("<span class=H>连衣裙</span>") != std::string::npos;

            json rating = shop.contains("dsrInfo") ? Parse(shop["dsrInfo"].value("dsrStr", "")) : json();
            if (rating.is_object()) {
                EXPECT_EQ(shop["goodratePercent"], rating["sgr"]);
                for (const char* key : {"srn", "ind", "mas", "sas", "cas", "encryptedUserId"})
                    EXPECT_TRUE(rating[key].is_string()) << key;
            } else {
                ++badRating;
            }

            const json items = shop.value("auctionsInshop", json::array());
            noHotItems += items.empty();
            EXPECT_LE(items.size(), 4u);
            for (const json& item : items) {
                EXPECT_EQ("//item.taobao.com/item.htm?id=" + item["nid"].get<std::string>(), item["url"]);
                EXPECT_FALSE(item["title"].get<std::string>().empty());
                EXPECT_TRUE(std::regex_match(item["price"].get<std::string>(), price)) << item["price"];
            }
        }
        EXPECT_EQ(1, noRegion);
        EXPECT_EQ(1, badRating);
        EXPECT_EQ(1, noHotItems);
        EXPECT_EQ(1, noName);
        EXPECT_GT(highlighted, 0);
    }
}

TEST_F(MarketsimTest, FiltersAndSortOrdersHoldAcrossPages) {
    using Check = std::function<bool(const json&)>;
    auto level = [](int low, int high) {
        return [=](const json& shop) { return shop["sellerLevel"] >= low && shop["sellerLevel"] <= high; };
    };
    struct Case {
        const char* name;
        std::string fragment;
        Check check;
        const char* descendingBy; // nullptr: relevance order
    };
    const Case cases[] = {
        {"sales", "&sort=sale-desc", nullptr, "totalsold"},
        {"credit", "&sort=credit-desc", nullptr, "sellerCredit"},
        {"mall shops", "&isb=1&shop_type=&ratesum=&goodrate=", [](const json& s) { return s["isTmall"] == true; },
         nullptr},
        {"global shops", "&goodrate=&shop_type=2&isb=&ratesum=", [](const json& s) { return s["isGlobal"] == true; },
         nullptr},
        {"gold crowns", "&isb=0&shop_type=&ratesum=jin", level(16, 20), nullptr},
        {"crowns", "&isb=0&shop_type=&ratesum=huang", level(11, 15), nullptr},
        {"diamonds", "&isb=0&shop_type=&ratesum=zhuan", level(6, 10), nullptr},
        {"hearts", "&isb=0&shop_type=&ratesum=xin", level(1, 5), nullptr},
        {"99% and up", "&goodrate=9900%2C", [](const json& s) { return GoodRate(s) >= 9900; }, nullptr},
        {"exactly 100%", "&goodrate=10000%2C10010", [](const json& s) { return s["goodratePercent"] == "100.00%"; },
         nullptr},
        {"empty placeholders before the rating", "&sort=sale-desc&isb=1&shop_type=&ratesum=&goodrate=&goodrate=9800%2C",
         [](const json& s) { return s["isTmall"] == true && GoodRate(s) >= 9800; }, "totalsold"},
    };
    const int everything = Page()["mods"]["pager"]["data"]["totalCount"];
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        json first = Page(c.fragment);
        json shops = ShopItems(first);
        for (const json& shop : ShopItems(Page(c.fragment, 20)))
            shops.push_back(shop);
        ASSERT_EQ(40u, shops.size());
        int total = first["mods"]["pager"]["data"]["totalCount"];
        if (c.check) {
            EXPECT_LT(total, everything);
            for (const json& shop : shops)
                EXPECT_TRUE(c.check(shop)) << shop.dump();
        } else {
            EXPECT_EQ(everything, total);
        }
        if (c.descendingBy != nullptr) {
            for (std::size_t i = 1; i < shops.size(); ++i)
                EXPECT_GE(shops[i - 1][c.descendingBy], shops[i][c.descendingBy]) << i;
        }
    }
    // Sales spread over orders of magnitude, so range filters have something to cut.
    EXPECT_GT(ShopItems(Page("&sort=sale-desc"))[0]["totalsold"], 1000000);
}

TEST_F(MarketsimTest, ResultsEndAfterTheLastShop) {
    const int total = Page()["mods"]["pager"]["data"]["totalCount"];
    EXPECT_GE(total, 1500);
    EXPECT_LE(total, 2000);
    EXPECT_EQ(marketsim::KeywordShopCount("连衣裙"), total);
    const int lastPage = (total - 1) / 20 * 20;
    EXPECT_EQ(static_cast<std::size_t>(total - lastPage), ShopItems(Page("", lastPage)).size());
    for (int offset : {lastPage + 20, 2000, 100000}) {
        json past = Page("", offset);
        ASSERT_TRUE(past.is_object()) << offset;
        EXPECT_TRUE(past["mods"]["shoplist"]["data"].is_object());
        EXPECT_FALSE(past["mods"]["shoplist"]["data"].contains("shopItems")) << offset;
    }
    // Another keyword, another list.
    EXPECT_NE(ShopItems(Page())[0]["shopUrl"],
              ShopItems(Parse(Fetch(sim().Http(SearchPath("", 0, "%E8%8C%B6%E5%8F%B6"))).body))[0]["shopUrl"]);
}

TEST_F(MarketsimTest, EachFaultHitsTheNextSearchOnlyOverBothSchemes) {
    const std::string normal = Fetch(sim().Http(SearchPath())).body;
    struct Case {
        std::string control;
        std::function<void(const Answer&, const std::string& origin)> check;
    };
    const Case cases[] = {
        {"fault=empty&times=1",
         [](const Answer& a, const std::string&) {
             EXPECT_EQ("200 OK", a.status);
             EXPECT_EQ("", a.body);
         }},
        {"fault=verify&times=1",
         [](const Answer& a, const std::string&) {
             EXPECT_EQ("200 OK", a.status);
             EXPECT_EQ("text/html; charset=utf-8", a.Header("Content-Type"));
             EXPECT_NE(std::string::npos, a.body.find("亲，小二正忙，滑动一下马上回来"));
         }},
        {"fault=login&times=1",
         [](const Answer& a, const std::string& origin) {
             EXPECT_EQ("302 Found", a.status);
             std::string back = origin + "/search?";
             for (auto [from, to] : {std::pair{":", "%3A"}, {"/", "%2F"}, {"?", "%3F"}})
                 for (std::size_t at; (at = back.find(from)) != std::string::npos;)
                     back.replace(at, 1, to);
             EXPECT_EQ(0u, a.location.find(origin + "/member/login.jhtml?redirectURL=" + back)) << a.location;
         }},
        {"fault=slow&delay_ms=600&times=1",
         [&normal](const Answer& a, const std::string&) {
             EXPECT_GE(a.elapsed.count(), 600);
             EXPECT_EQ(normal, a.body);
         }},
        {"fault=cut&times=1",
         [&normal](const Answer& a, const std::string&) {
             EXPECT_EQ(std::to_string(normal.size()), a.Header("Content-Length"));
             EXPECT_EQ(normal.substr(0, normal.size() / 2), a.body);
         }},
    };
    for (bool https : {false, true}) {
        const std::string origin = https ? sim().Https("") : sim().Http("");
        for (const Case& c : cases) {
            SCOPED_TRACE(origin + " " + c.control);
            ASSERT_EQ("ok", Fetch(sim().Http("/_control?" + c.control)).body);
            c.check(Fetch(origin + SearchPath(), 0, true), origin);
            EXPECT_EQ(normal, Fetch(origin + SearchPath()).body);
        }
    }
    json stats = Stats();
    EXPECT_EQ(21, stats["search"]);
    EXPECT_EQ(10, stats["searchFaulted"]);
    EXPECT_EQ(21, stats["paths"]["/search"]);
}

TEST_F(MarketsimTest, FaultLastsUntilChangedAndBadControlsChangeNothing) {
    ASSERT_EQ("ok", Fetch(sim().Http("/_control?fault=empty")).body);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ("", Fetch(sim().Http(SearchPath("", 20 * i))).body) << i;

    for (const char* bad : {"fault=bogus", "fault=none&times=x", "delay_ms=-5", "update_mode=broken", "colour=red"}) {
        Answer refused = Fetch(sim().Http(std::string("/_control?") + bad));
        EXPECT_EQ(0u, refused.status.find("400")) << bad;
        EXPECT_EQ("", Fetch(sim().Http(SearchPath())).body) << bad;
    }

    ASSERT_EQ("ok", Fetch(sim().Http("/_control?fault=none")).body);
    EXPECT_EQ(20u, ShopItems(Page()).size());
    json stats = Stats();
    EXPECT_EQ(9, stats["search"]);
    EXPECT_EQ(8, stats["searchFaulted"]);
}

TEST_F(MarketsimTest, LoginFaultLeadsToTheLoginPageOnTheSameServer) {
    ASSERT_EQ("ok", Fetch(sim().Http("/_control?fault=login&times=1")).body);
    Answer followed = Fetch(sim().Https(SearchPath()));
    EXPECT_EQ("200 OK", followed.status);
    EXPECT_NE(std::string::npos, followed.body.find("密码登录"));
    EXPECT_EQ(1, Stats()["paths"]["/member/login.jhtml"]);
}

TEST_F(MarketsimTest, SuggestionsExtendTheTypedText) {
    json typed = Parse(Fetch(sim().Http("/sug?code=utf-8&q=" + kKeyword +
                                        "&_ksTS=1765432100000_321&callback=&k=1&area=c2c&bucketid=20"))
                           .body);
    const json& result = typed["result"];
    ASSERT_EQ(10u, result.size());
    for (std::size_t i = 0; i < result.size(); ++i) {
        EXPECT_EQ(0u, result[i][0].get<std::string>().find("连衣裙"));
        EXPECT_GT(result[i][0].get<std::string>().size(), std::string("连衣裙").size());
        if (i > 0) {
            EXPECT_GE(std::stoll(result[i - 1][1].get<std::string>()), std::stoll(result[i][1].get<std::string>()));
        }
    }
    EXPECT_EQ(json::array(), Parse(Fetch(sim().Http("/sug?code=utf-8&q=&callback=")).body)["result"]);
}

TEST_F(MarketsimTest, ProbeAnswersEveryOtherPathAndHeadHasNoBody) {
    for (const char* path : {"/", "/nothing/here?x=1"}) {
        Answer probe = Fetch(sim().Https(path));
        EXPECT_EQ("200 OK", probe.status) << path;
        EXPECT_NE(std::string::npos, probe.body.find(">ok<")) << path;
    }
    EXPECT_NE(std::string::npos, PlainGet(sim().Http("/"), 10).find(">ok<"));

    Answer head = Fetch(sim().Http(SearchPath()), 2);
    EXPECT_EQ("200 OK", head.status);
    EXPECT_EQ("", head.body);
    EXPECT_EQ(std::to_string(Fetch(sim().Http(SearchPath())).body.size()), head.Header("Content-Length"));
}

class MarketsimProgram : public testing::Test {
protected:
    void SetUp() override { SetExtraCaFileForTesting(test::FixtureFile("localhost-cert.pem")); }
    void TearDown() override { SetExtraCaFileForTesting(""); }
};

TEST_F(MarketsimProgram, CommandLineSetsTheUpdateRecordAndTheStartingFault) {
    Simulator sim(MARKETSIM_PROGRAM,
                  {"--update-version", "3.2", "--update-degree", "1", "--update-notice", "修复了采集中断的问题",
                   "--update-url", "http://127.0.0.1/soft/stallwatch-3.2.zip", "--fault", "verify", "--fault-times",
                   "1"});
    ASSERT_TRUE(sim.Running()) << sim.PortLine();
    const std::string record = "/soft/stallwatch_info.php";

    Answer update = Fetch(sim.Https(record));
    EXPECT_EQ("application/json; charset=utf-8", update.Header("Content-Type"));
    EXPECT_EQ(std::string::npos, update.body.find("修复")) << "non-ASCII text travels escaped";
    EXPECT_EQ(json({{"version", "3.2"},
                    {"degree", "1"},
                    {"notice", "修复了采集中断的问题"},
                    {"url", "http://127.0.0.1/soft/stallwatch-3.2.zip"}}),
              Parse(update.body));

    EXPECT_NE(std::string::npos, Fetch(sim.Http(SearchPath())).body.find("滑动一下马上回来"));
    EXPECT_EQ(20u, ShopItems(Parse(Fetch(sim.Http(SearchPath())).body)).size());

    ASSERT_EQ("ok", Fetch(sim.Http("/_control?update_version=4.0&update_notice=%E6%96%B0%E7%89%88+4.0"
                                   "&update_degree=0&update_url=https%3A%2F%2F127.0.0.1%2Fa%3Fb%3D1"))
                        .body);
    EXPECT_EQ(json({{"version", "4.0"}, {"degree", "0"}, {"notice", "新版 4.0"}, {"url", "https://127.0.0.1/a?b=1"}}),
              Parse(Fetch(sim.Http(record)).body));

    ASSERT_EQ("ok", Fetch(sim.Http("/_control?update_mode=empty")).body);
    Answer empty = Fetch(sim.Http(record));
    EXPECT_EQ("200 OK", empty.status);
    EXPECT_EQ("", empty.body);
    ASSERT_EQ("ok", Fetch(sim.Http("/_control?update_mode=html")).body);
    EXPECT_EQ(0u, Fetch(sim.Http(record)).body.find("<!DOCTYPE html>"));
    ASSERT_EQ("ok", Fetch(sim.Http("/_control?update_mode=ok")).body);
    EXPECT_EQ("4.0", Parse(Fetch(sim.Http(record)).body)["version"]);
}

TEST_F(MarketsimProgram, UpdateFailureFromTheCommandLine) {
    Simulator sim(MARKETSIM_PROGRAM, {"--update-fail", "html"}, false);
    ASSERT_TRUE(sim.Running()) << sim.PortLine();
    EXPECT_EQ(sim.PortLine().find("https="), std::string::npos);
    EXPECT_EQ(0u, Fetch(sim.Http("/soft/stallwatch_info.php")).body.find("<!DOCTYPE html>"));
}

TEST_F(MarketsimProgram, StopsOnSignalsAndWhenStdinCloses) {
    {
        Simulator sim(MARKETSIM_PROGRAM);
        ASSERT_TRUE(sim.Running());
        sim.CloseStdin();
        EXPECT_EQ(0, sim.WaitExit(std::chrono::seconds(5)));
    }
    for (int signal : {SIGTERM, SIGINT}) {
        // A request held back by the slow fault must not keep the program alive.
        Simulator sim(MARKETSIM_PROGRAM, {"--fault", "slow", "--delay-ms", "60000"});
        ASSERT_TRUE(sim.Running());
        std::string body = "unset";
        std::thread waiting([&] { body = PlainGet(sim.Http(SearchPath()), 30); });
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        Clock::time_point start = Clock::now();
        EXPECT_EQ(0, sim.Stop(signal)) << signal;
        waiting.join();
        EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
        EXPECT_EQ("", body);
    }
}

TEST_F(MarketsimProgram, RejectsBadCommandLines) {
    const std::vector<std::vector<std::string>> cases = {
        {"--fault", "sometimes"}, {"--http-port", "70000"}, {"--update-fail", "ok"},
        {"--delay-ms"},           {"--no-such-option"},
    };
    for (const auto& extra : cases) {
        Simulator sim(MARKETSIM_PROGRAM, extra);
        EXPECT_FALSE(sim.Running()) << extra[0];
        EXPECT_EQ(2, sim.WaitExit(std::chrono::seconds(5))) << extra[0];
    }
    Simulator withoutKey(MARKETSIM_PROGRAM, {"--https-port", "0"}, false);
    EXPECT_EQ(2, withoutKey.WaitExit(std::chrono::seconds(5)));
}

} // namespace
} // namespace sw
