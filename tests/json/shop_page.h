#pragma once

// A shop search result page as the collection run receives it: about 80 KB of
// UTF-8 JSON with twenty shops, Chinese text, numbers both as JSON numbers and
// as strings, a rating text per shop and four hot items each. The values a
// reader should find are kept in a table, so the tests can compare every field
// and the benchmark reads exactly what the collection run reads.

#include <cstdio>
#include <string>
#include <vector>

namespace sw::test {

struct ShopPageShop {
    std::string nick;     // UTF-8
    std::string rawTitle; // UTF-8
    std::string shopUrl;
    std::string totalsold; // written as a JSON number, read back as its text
    std::string procnt;    // written as a JSON string
    std::string provcity;  // UTF-8; empty: the member is left out
    std::string sgr, mas, sas, cas;
    std::vector<std::string> itemUrls;
};

inline constexpr int kShopPageShops = 20;
inline constexpr int kShopPageHotItems = 4;
// The shop whose record lacks "provcity".
inline constexpr int kShopPageWithoutProvcity = 7;

inline const std::vector<ShopPageShop>& ShopPageShops() {
    static const std::vector<ShopPageShop> shops = [] {
        const char* names[] = {"花语", "小铺", "旗舰店", "家居", "精品", "优选", "数码", "童装", "女装", "茶叶"};
        const char* places[] = {"浙江 台州", "广东 广州", "江苏 苏州", "福建 泉州", "上海", "北京"};
        std::vector<ShopPageShop> out;
        unsigned seed = 936;
        auto next = [&seed] { return seed = seed * 1103515245u + 12345u, (seed >> 8) % 100000u; };
        for (int i = 0; i < kShopPageShops; ++i) {
            ShopPageShop s;
            char buffer[64];
            s.nick = std::string(names[i % 10]) + names[(i * 3 + 1) % 10] + std::to_string(i + 1);
            s.rawTitle = s.nick + "的" + names[(i + 4) % 10] + "小店";
            std::snprintf(buffer, sizeof buffer, "//shop%u.taobao.com", 63812317u + next());
            s.shopUrl = buffer;
            s.totalsold = i == 0 ? "120" : std::to_string(next());
            s.procnt = std::to_string(next() % 3000);
            s.provcity = i == kShopPageWithoutProvcity ? "" : places[i % 6];
            std::snprintf(buffer, sizeof buffer, "99.%02u%%", next() % 100);
            s.sgr = buffer;
            std::snprintf(buffer, sizeof buffer, "4.%02u", 70 + next() % 30);
            s.mas = buffer;
            std::snprintf(buffer, sizeof buffer, "4.%02u", 70 + next() % 30);
            s.sas = buffer;
            std::snprintf(buffer, sizeof buffer, "4.%02u", 70 + next() % 30);
            s.cas = buffer;
            for (int k = 0; k < kShopPageHotItems; ++k) {
                std::snprintf(buffer, sizeof buffer, "//item.taobao.com/item.htm?id=%u%05u", 5200u + next() % 800,
                              next());
                s.itemUrls.push_back(buffer);
            }
            out.push_back(std::move(s));
        }
        return out;
    }();
    return shops;
}

// The page as UTF-8 JSON text.
inline std::string ShopPageUtf8() {
    const std::string picture = "//g-search1.alicdn.com/img/bao/uploaded/i4/imgextra/TB1a2b3c4d5e6f7g8h9i0jkl_"
                                "!!0-item_pic.jpg_180x180.jpg";
    std::string page =
        R"({"pageName":"mainsrp","mods":{"header":{"status":"show","data":{"q":"连衣裙",)"
        R"("tabs":[{"name":"宝贝","url":"//s.taobao.com/search?q=x"},{"name":"天猫","url":)"
        R"("//list.tmall.com/search_product.htm?q=x"},{"name":"店铺","url":"//shopsearch.taobao.com"}]}},)"
        R"("sortbar":{"status":"show","data":{"sortList":[{"name":"综合","value":"default"},)"
        R"({"name":"销量","value":"sale-desc"},{"name":"信用","value":"credit-desc"}],"price":)"
        R"({"rank":[{"start":0,"end":59,"percent":"31"},{"start":59,"end":128,"percent":"45"}]}}},)"
        R"("shoplist":{"status":"show","data":{"shopItems":[)";
    const std::vector<ShopPageShop>& shops = ShopPageShops();
    for (size_t i = 0; i < shops.size(); ++i) {
        const ShopPageShop& s = shops[i];
        std::string id = s.shopUrl.substr(6, s.shopUrl.find('.') - 6);
        if (i > 0)
            page += ",";
        page += R"({"uid":")" + id + R"(","nid":)" + id + R"(,"title":"<span class=H>)" + s.nick +
                R"(</span>","nick":")" + s.nick + R"(","rawTitle":")" + s.rawTitle +
                R"(","userRateUrl":"//rate.taobao.com/user-rate-)" + id + R"(.htm","shopUrl":")" + s.shopUrl +
                R"(","picUrl":")" + picture + R"(","isTmall":)" + (i % 4 == 0 ? "true" : "false");
        if (!s.provcity.empty())
            page += R"(,"provcity":")" + s.provcity + "\"";
        page += R"(,"totalsold":)" + s.totalsold + R"(,"procnt":")" + s.procnt + R"(","goodratePercent":")" + s.sgr +
                R"(","mainAuction":"连衣裙 夏装 女装","shopIcon":{"iconClass":)"
                R"("icon-service-jinpaimaijia","title":"金牌卖家","rank":3.5,"imgsrc":null},)"
                R"("dsrInfo":{"dsrStr":"{\"srn\":\"47202\",\"sgr\":\")" +
                s.sgr + R"(\",\"ind\":\"服饰鞋包\",\"mas\":\")" + s.mas + R"(\",\"mg\":\"8.75%\",\"sas\":\")" + s.sas +
                R"(\",\"sg\":\"12.40%\",\"cas\":\")" + s.cas +
                R"(\",\"cg\":\"-3.10%\",\"encryptedUserId\":)"
                R"(\"UvCHuMmgGMmcuMQTT\"}","dsrUrl":"//rate.taobao.com/user-rate-)" +
                id +
                R"(.htm"},"icons":[{"title":"消费者保障","icon":"icon-fest-xiaobao","url":)"
                R"("//www.taobao.com/go/act/315/xfzbz_rsms.php"},{"title":"七天退换","icon":"icon-service-qitian",)"
                R"("url":"//pages.tmall.com/wow/seller/act/seven-day"}],"sellerLevel":)" +
                std::to_string(10 + i) +
                R"(,"weight":-0.0125,"ratio":1.5e-3,"mainCatId":16,"distance":null,"isHk":false,)"
                R"("category":"女装/女士精品","summary":"本店主营女装连衣裙、半身裙与针织衫，所有商品均为实物拍摄，)"
                R"(支持七天无理由退换货，下单后四十八小时内发货，欢迎光临选购。\n店铺地址：浙江省杭州市余杭区",)"
                R"("auctionsInshop":[)";
        for (size_t k = 0; k < s.itemUrls.size(); ++k) {
            std::string nid = s.itemUrls[k].substr(s.itemUrls[k].find('=') + 1);
            if (k > 0)
                page += ",";
            page += R"({"nid":")" + nid + R"(","title":")" + s.nick + R"( 新款 雪纺 碎花 连衣裙 中长款 显瘦 )" +
                    std::to_string(k + 1) + R"(号","url":")" + s.itemUrls[k] + R"(","picUrl":")" + picture +
                    R"(","price":")" + std::to_string(39 + 10 * k) + R"(.00","sold":)" + std::to_string(100 * k + 7) +
                    R"(,"location":"杭州\t余杭","promotion":"满199减20\/限时","tags":["包邮","新品","正品保障"],)"
                    R"("desc":"雪纺面料，轻盈透气，碎花设计，优雅大方，适合春夏季节日常通勤与度假出游穿着"})";
        }
        page += "]}";
    }
    page += R"(]},"pager":{"pageSize":20,"totalPage":100,"currentPage":1,"totalCount":2000}},)"
            R"("tips":{"status":"hide"}},"feature":{"webpOff":false,"retinaOff":false,"shopcardOff":true}})";
    return page;
}

} // namespace sw::test
