#include "shop/collection_run.h"

#include "shop/result_grid.h"
#include "shop/shop_search_address.h"
#include "text/code_page.h"
#include "text/number_text.h"
#include "text/service_settings.h"
#include "text/ui_pump.h"
#include "web/page_request.h"
#include "web/plain_fetch.h"
#include "json/json_document.h"

#include <array>

namespace sw {
namespace {

// The shop search is asked as a desktop browser asks it. Without a blank after
// the colon the request adds its own default User-Agent line after this one.
constexpr std::string_view kBrowserAgent = "User-Agent:Mozilla/5.0 (Windows NT 10.0; WOW64) AppleWebKit/537.36 "
                                           "(KHTML, like Gecko) Chrome/55.0.2883.87 Safari/537.36";
constexpr std::string_view kShopsPath = "mods.shoplist.data.shopItems";
constexpr int kPauseBetweenPagesMs = 2000;
// A page whose body stays empty is asked for this many times in a row, then the run ends.
constexpr int kEmptyBodyAttempts = 3;
constexpr int kOnlineTestTimeoutSeconds = 10;

struct Names {
    std::string key = "key";
    std::string sortBox = Gbk("组合框1");
    std::string shopTypeBox = Gbk("组合框2");
    std::string ratingBox = Gbk("组合框3");
    std::string start = "start";
    std::string shopCount = Gbk("编辑框1");
    std::string firstPage = "page1";
    std::string lastPage = "page2";
    std::string lowestSales = Gbk("编辑框4");
    std::string highestSales = Gbk("编辑框5");
    std::string lowestItems = Gbk("编辑框6");
    std::string highestItems = Gbk("编辑框7");
    std::array<std::string, 3> thresholds = {Gbk("编辑框2"), Gbk("编辑框3"), Gbk("编辑框8")};
    std::string clearFirst = "select";
};

const Names& N() {
    static const Names names;
    return names;
}

int IntOf(const FormPort& form, const std::string& control) {
    return TextToInt(form.Text(control));
}

// The marketplace answers a crawler it distrusts with a slider check or a login
// page instead of the JSON; walking on would fetch the same page again and again.
// The page arrives as fetched: in UTF-8, or already in GBK when it declared its
// charset.
bool AsksForVerification(std::string_view page) {
    static const std::array<std::string, 6> markers = {Gbk("小二正忙"),    Gbk("滑动一下马上回来"), "小二正忙",
                                                       "滑动一下马上回来", "login.taobao.com",      "/member/login"};
    for (const std::string& marker : markers)
        if (page.find(marker) != std::string_view::npos)
            return true;
    return false;
}

} // namespace

std::string FetchShopPage(std::string_view keyword, int page, int sortIndex, int shopTypeIndex, int ratingIndex) {
    std::string address = BuildShopSearchAddress(keyword, page, sortIndex, shopTypeIndex, ratingIndex);
    PageRequestArgs args;
    args.method = 0;
    args.headers = kBrowserAgent;
    std::string body = PageRequest(address, args);
    if (body.empty())
        body = PlainGet(address);
    return body;
}

void LockInputs(FormPort& form, bool locked) {
    const Names& n = N();
    for (const std::string* control :
         {&n.key, &n.sortBox, &n.shopTypeBox, &n.ratingBox, &n.start, &n.shopCount, &n.firstPage, &n.lastPage,
          &n.lowestSales, &n.highestSales, &n.lowestItems, &n.highestItems})
        form.SetEnabled(*control, !locked);
}

CollectionRun::CollectionRun(FormPort& form, DialogPort& dialogs, PageFetcher fetchPage, OnlineTest isOnline)
    : form_(form), dialogs_(dialogs), fetchPage_(std::move(fetchPage)), isOnline_(std::move(isOnline)) {
    if (!isOnline_)
        isOnline_ = [] { return UrlOpens(Services().connectivityProbeAddress, kOnlineTestTimeoutSeconds); };
}

void CollectionRun::Start() {
    if (running_)
        return;
    if (!isOnline_()) {
        dialogs_.ShowMessage(Gbk("尚未连接网络,请连接网络后再采集。"), Gbk("提醒"), MessageIcon::Error);
        return;
    }
    form_.SetText(N().start, Gbk("采集中.."));
    Run();
    // The window may be closing; its controls are still there until the run returns.
    form_.SetText(N().start, Gbk("开始采集"));
}

bool CollectionRun::Yield() {
    YieldToUi();
    return !stopRequested_;
}

bool CollectionRun::CollectPage(const JsonDocument& page, JsonDocument& rating, int& kept,
                                const std::string (&thresholds)[3]) {
    const Names& n = N();
    const int shops = page.Count(kShopsPath);
    for (int i = 0; i < shops; ++i) {
        const std::string shop = std::string(kShopsPath) + "[" + std::to_string(i) + "]";
        ShopRecord record;
        record.sellerName = page.GetText(shop + ".nick");
        record.shopName = page.GetText(shop + ".rawTitle");
        std::string address = page.GetText(shop + ".shopUrl");
        record.totalSales = page.GetText(shop + ".totalsold");
        record.itemCount = page.GetText(shop + ".procnt");
        record.region = page.GetText(shop + ".provcity");

        // Both ranges include their ends; the boxes are read at the moment of each test.
        const int items = TextToInt(record.itemCount);
        const int sales = TextToInt(record.totalSales);
        bool outside = IntOf(form_, n.lowestItems) > items || items > IntOf(form_, n.highestItems) ||
                       IntOf(form_, n.lowestSales) > sales || sales > IntOf(form_, n.highestSales);
        if (!outside) {
            rating.Parse(page.GetText(shop + ".dsrInfo.dsrStr"));
            record.positiveRate = rating.GetText("sgr");
            record.descriptionScore = rating.GetText("mas");
            record.serviceScore = rating.GetText("sas");
            record.logisticsScore = rating.GetText("cas");
            if (!record.sellerName.empty() && !record.shopName.empty() && !address.empty()) {
                ++kept;
                const std::string hotItems = shop + ".auctionsInshop";
                const int links = page.Count(hotItems);
                for (int k = 0; k < links; ++k) {
                    std::string link = page.GetText(hotItems + "[" + std::to_string(k) + "].url");
                    // Only the first link gets the scheme; the others are joined as the service gives them.
                    record.hotItems += record.hotItems.empty() ? "https:" + link : "," + link;
                    if (!Yield())
                        return false;
                }
                record.shopLink = "https:" + address;
                AppendShopRow(form_.Grid(), record);
                MarkShopRow(form_, record, thresholds[0], thresholds[1], thresholds[2]);
            }
        }
        if (!Yield())
            return false;
        if (kept >= IntOf(form_, n.shopCount))
            break;
    }
    return true;
}

void CollectionRun::Run() {
    const Names& n = N();
    running_ = true;
    stopRequested_ = false;
    JsonDocument page;
    JsonDocument rating;
    if (form_.IsChecked(n.clearFirst))
        ClearResults(form_.Grid());
    LockInputs(form_, true);
    const std::string thresholds[3] = {form_.Text(n.thresholds[0]), form_.Text(n.thresholds[1]),
                                       form_.Text(n.thresholds[2])};
    int pageCounter = IntOf(form_, n.firstPage) - 1;
    int kept = 0;
    int emptyBodies = 0;
    Ending ending = Ending::Normal;

    while (!form_.Text(n.key).empty()) {
        ++pageCounter;
        const std::string fetched = fetchPage_(form_.Text(n.key), pageCounter, form_.SelectedIndex(n.sortBox),
                                               form_.SelectedIndex(n.shopTypeBox), form_.SelectedIndex(n.ratingBox));
        std::string body = Utf8ToGbk(fetched);
        if (body.empty()) {
            // The same page is asked for again after the pause, a few times at most.
            --pageCounter;
            if (++emptyBodies >= kEmptyBodyAttempts) {
                ending = Ending::PageUnavailable;
                break;
            }
        } else {
            emptyBodies = 0;
        }
        if (page.Parse(body)) {
            if (!CollectPage(page, rating, kept, thresholds))
                break;
        } else if (AsksForVerification(fetched)) {
            ending = Ending::VerificationAsked;
            break;
        }
        if (pageCounter >= IntOf(form_, n.lastPage) || kept >= IntOf(form_, n.shopCount))
            break;
        WaitWhilePumping(kPauseBetweenPagesMs);
        if (stopRequested_)
            break;
    }

    LockInputs(form_, false);
    if (ending == Ending::PageUnavailable)
        dialogs_.ShowMessage(Gbk("第") + std::to_string(pageCounter + 1) + Gbk("页连续") +
                                 std::to_string(kEmptyBodyAttempts) + Gbk("次没有取到数据,采集已停止,请稍后再试。"),
                             Gbk("提醒"), MessageIcon::Error);
    else if (ending == Ending::VerificationAsked)
        dialogs_.ShowMessage(Gbk("淘宝要求验证身份,采集已停止。请稍后再试,或先在浏览器中打开淘宝完成验证。"),
                             Gbk("提醒"), MessageIcon::Error);
    form_.ShowHint(Gbk("采集完成,本次采集了") + std::to_string(pageCounter) + Gbk("页,店铺数量：") +
                   std::to_string(kept));
    running_ = false;
}

} // namespace sw
