#include "tools/marketsim/shop_pages.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <map>

namespace sw::marketsim {
namespace {

std::uint64_t Fnv1a(std::string_view text) {
    std::uint64_t hash = 1469598103934665603ull;
    for (char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

// splitmix64: tiny, and good enough that neighbouring seeds give unrelated streams.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}

    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    std::uint64_t Below(std::uint64_t n) { return n == 0 ? 0 : Next() % n; }
    std::int64_t Between(std::int64_t low, std::int64_t high) {
        return low + static_cast<std::int64_t>(Below(static_cast<std::uint64_t>(high - low + 1)));
    }
    bool Chance(int percent) { return Below(100) < static_cast<std::uint64_t>(percent); }
    double Unit() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }
    template <typename T, std::size_t N>
    const T& Pick(const std::array<T, N>& items) {
        return items[Below(N)];
    }

private:
    std::uint64_t state_;
};

// Each shop draws from its own streams: one for what filters and sorting look
// at, one for the rest, so adding a detail never moves a shop in the order.
std::uint64_t Seed(std::uint64_t keyHash, int index, std::uint64_t stream) {
    return keyHash ^ (static_cast<std::uint64_t>(index) + 1) * 0xD6E8FEB86659FD93ull ^ stream * 0xA0761D6478BD642Full;
}

using Words = std::array<const char*, 20>;

constexpr std::array<const char*, 30> kBrandHeads = {"韩", "欧", "简", "木", "花", "云", "锦", "悦", "初", "素",
                                                     "雅", "蓝", "橙", "米", "金", "柚", "禾", "森", "溪", "若",
                                                     "念", "拾", "半", "知", "青", "墨", "南", "北", "暖", "甜"};
constexpr Words kBrandTails = {"衣坊", "依人", "小屋", "良品", "优品", "生活", "时光", "之家", "美学", "印象",
                               "世家", "工坊", "日记", "部落", "物语", "心选", "尚品", "家纺", "百货", "造物"};
constexpr std::array<const char*, 10> kShopEndings = {"的小店", "精品店", "小铺",   "工作室", "店",
                                                      "铺子",   "专卖",   "家居馆", "服饰店", "生活馆"};
constexpr std::array<const char*, 5> kGlobalEndings = {"海外代购", "全球购", "日本直邮", "韩国代购", "澳洲直邮"};
constexpr std::array<const char*, 10> kPersonalNicks = {"小鱼儿", "爱美丽的兔子", "阿紫", "糖糖妈", "晴天",
                                                        "猫小姐", "大熊",         "依依", "果果家", "木子李"};
constexpr Words kRegions = {"浙江 杭州", "浙江 台州", "浙江 金华", "浙江 温州", "广东 广州", "广东 深圳", "广东 东莞",
                            "江苏 苏州", "江苏 南京", "上海",      "北京",      "福建 泉州", "福建 厦门", "山东 青岛",
                            "四川 成都", "湖北 武汉", "河北 保定", "安徽 合肥", "江苏 常州", "广东 汕头"};
constexpr std::array<const char*, 5> kAbroad = {"海外 日本", "海外 韩国", "海外 美国", "海外 澳大利亚", "香港"};
constexpr std::array<const char*, 7> kIndustries = {"服饰鞋包", "美妆饰品", "数码家电", "家居建材",
                                                    "母婴用品", "食品保健", "运动户外"};
// Goods named in item titles, one row per industry above.
constexpr std::array<std::array<const char*, 4>, 7> kGoods = {{
    {"连衣裙", "T恤", "牛仔裤", "帆布鞋"},
    {"口红", "面膜", "耳钉", "项链"},
    {"蓝牙耳机", "充电宝", "手机壳", "电风扇"},
    {"四件套", "收纳盒", "拖把", "窗帘"},
    {"婴儿连体衣", "奶瓶", "纸尿裤", "儿童积木"},
    {"坚果礼盒", "绿茶", "蜂蜜", "牛肉干"},
    {"瑜伽垫", "跑步鞋", "帐篷", "登山包"},
}};
constexpr Words kItemWords = {"新款", "2024",  "夏季", "韩版", "宽松", "显瘦", "百搭", "纯棉", "加厚", "包邮",
                              "爆款", "ins风", "网红", "同款", "时尚", "简约", "大码", "修身", "复古", "正品"};
constexpr Words kSuggestionEndings = {"夏",   "女",   "2024新款", "长款", "夏季", "碎花", "显瘦",
                                      "雪纺", "套装", "中长款",   "男",   "儿童", "大码", "冬",
                                      "秋冬", "韩版", "宽松",     "包邮", "学生", "高端"};

// The cheap part of a shop: what filters and sorting need.
struct Summary {
    int index = 0;
    bool tmall = false;
    bool global = false;
    std::int64_t credit = 0;
    std::int64_t totalsold = 0;
    int goodRate = 0;
};

Summary Summarize(std::uint64_t keyHash, int index) {
    Random random(Seed(keyHash, index, 1));
    Summary s;
    s.index = index;
    s.tmall = random.Chance(22);
    s.global = !s.tmall && random.Chance(9);
    // Credit and sales are spread evenly over their orders of magnitude, as on the site.
    s.credit = std::llround(std::exp(std::log(4.0) + (std::log(5.0e6) - std::log(4.0)) * random.Unit()));
    s.totalsold = random.Chance(6) ? 0 : std::llround(std::exp(std::log(2.0e6) * random.Unit()));
    std::uint64_t roll = random.Below(100);
    s.goodRate = roll < 10   ? 10000
                 : roll < 92 ? static_cast<int>(9700 + random.Below(300))
                             : static_cast<int>(9000 + random.Below(700));
    return s;
}

CreditBand BandOf(std::int64_t credit) {
    if (credit <= 250)
        return CreditBand::Hearts;
    if (credit <= 10000)
        return CreditBand::Diamonds;
    if (credit <= 500000)
        return CreditBand::Crowns;
    return CreditBand::GoldCrowns;
}

int LevelOf(std::int64_t credit) {
    static constexpr std::array<std::int64_t, 20> kThresholds = {
        4,     11,    41,    91,     151,    251,    501,     1001,    2001,    5001,
        10001, 20001, 50001, 100001, 200001, 500001, 1000001, 2000001, 5000001, 10000001};
    return static_cast<int>(std::upper_bound(kThresholds.begin(), kThresholds.end(), credit) - kThresholds.begin());
}

bool Passes(const Summary& s, const ShopQuery& query) {
    if (query.tmallOnly && !s.tmall)
        return false;
    if (query.globalOnly && !s.global)
        return false;
    // Credit bands belong to marketplace sellers; mall shops have none.
    if (query.credit != CreditBand::Any && (s.tmall || BandOf(s.credit) != query.credit))
        return false;
    return s.goodRate >= query.minGoodRate && s.goodRate <= query.maxGoodRate;
}

std::vector<Summary> Matching(const ShopQuery& query, std::uint64_t keyHash) {
    int count = KeywordShopCount(query.keyword);
    std::vector<Summary> shops;
    shops.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        if (Summary s = Summarize(keyHash, i); Passes(s, query))
            shops.push_back(s);
    if (query.sort == SortOrder::SalesDescending)
        std::stable_sort(shops.begin(), shops.end(),
                         [](const Summary& a, const Summary& b) { return a.totalsold > b.totalsold; });
    else if (query.sort == SortOrder::CreditDescending)
        std::stable_sort(shops.begin(), shops.end(),
                         [](const Summary& a, const Summary& b) { return a.credit > b.credit; });
    return shops;
}

// The first few characters of the keyword, as shop names and titles carry it.
std::string KeywordPiece(std::string_view keyword) {
    while (!keyword.empty() && static_cast<unsigned char>(keyword.front()) <= ' ')
        keyword.remove_prefix(1);
    while (!keyword.empty() && static_cast<unsigned char>(keyword.back()) <= ' ')
        keyword.remove_suffix(1);
    std::string piece;
    int characters = 0;
    for (std::size_t i = 0; i < keyword.size() && characters < 8; ++characters) {
        std::size_t next = i + 1;
        while (next < keyword.size() && (static_cast<unsigned char>(keyword[next]) & 0xC0) == 0x80)
            ++next;
        piece.append(keyword.substr(i, next - i));
        i = next;
    }
    return piece;
}

std::string Highlight(std::string_view text, std::string_view piece) {
    if (piece.empty())
        return std::string(text);
    std::string out;
    std::size_t from = 0;
    for (std::size_t at; (at = text.find(piece, from)) != std::string_view::npos; from = at + piece.size()) {
        out.append(text.substr(from, at - from));
        out += "<span class=H>";
        out.append(piece);
        out += "</span>";
    }
    out.append(text.substr(from));
    return out;
}

std::string TwoDecimals(std::int64_t hundredths) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%lld.%02lld", static_cast<long long>(hundredths / 100),
                  static_cast<long long>(hundredths % 100));
    return buffer;
}

std::string Digits(Random& random, int count) {
    std::string out;
    for (int i = 0; i < count; ++i)
        out += static_cast<char>('0' + random.Below(10));
    return out;
}

std::string MakeNick(Random& random, const std::string& brand) {
    std::uint64_t roll = random.Below(100);
    if (roll < 30) {
        std::string nick = "tb" + Digits(random, 8);
        if (random.Chance(40))
            nick += "_" + std::to_string(random.Between(2008, 2016));
        return nick;
    }
    if (roll < 70)
        return brand + std::to_string(random.Chance(50) ? random.Between(2008, 2019) : random.Between(100, 999));
    std::string nick = random.Pick(kPersonalNicks);
    return nick + Digits(random, 4);
}

// Which of the page's oddities a shop shows. Seven is prime to twenty, so
// twenty neighbours in the relevance order show each oddity exactly once.
enum Oddity { kNoRegion = 0, kBadRating = 1, kNoHotItems = 2, kNoName = 3 };

Shop Build(std::uint64_t keyHash, const std::string& piece, const Summary& s) {
    Random random(Seed(keyHash, s.index, 2));
    Shop shop;
    shop.index = s.index;
    shop.tmall = s.tmall;
    shop.global = s.global;
    shop.credit = s.credit;
    shop.sellerLevel = LevelOf(s.credit);
    shop.totalsold = s.totalsold;
    shop.goodRate = s.goodRate;
    shop.sgr = TwoDecimals(s.goodRate) + "%";

    std::int64_t shopNumber =
        30000000 + (static_cast<std::int64_t>(keyHash % 50000000) + s.index * 104729LL) % 70000000;
    shop.shopUrl = "//shop" + std::to_string(shopNumber) + ".taobao.com";
    shop.uid = std::to_string(2000000000LL + (shopNumber * 7919LL) % 1000000000LL);

    // One draw per statement: the order of operands in an expression is not fixed.
    std::string brand = random.Pick(kBrandHeads);
    brand += random.Pick(kBrandTails);
    if (s.tmall) {
        shop.nick = brand + (random.Chance(80) ? "旗舰店" : "专营店");
        shop.rawTitle = shop.nick;
    } else if (s.global) {
        shop.nick = MakeNick(random, brand);
        shop.rawTitle = brand + random.Pick(kGlobalEndings);
    } else {
        shop.nick = MakeNick(random, brand);
        shop.rawTitle = brand + (random.Chance(60) ? piece : std::string());
        shop.rawTitle += random.Pick(kShopEndings);
    }
    shop.provcity = s.global ? random.Pick(kAbroad) : random.Pick(kRegions);
    // Shops that sell much tend to list much.
    shop.procnt = random.Between(s.totalsold == 0 ? 0 : 1, std::min<std::int64_t>(5000, 20 + s.totalsold / 20));
    std::int64_t rated = s.totalsold * random.Between(20, 60) / 100;
    shop.srn = std::to_string(rated + random.Between(0, 500));
    shop.mas = TwoDecimals(random.Between(460, 500));
    shop.sas = TwoDecimals(random.Between(460, 500));
    shop.cas = TwoDecimals(random.Between(460, 500));
    std::size_t industry = random.Below(kIndustries.size());
    shop.industry = kIndustries[industry];
    static constexpr std::string_view kLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    for (int i = 0; i < 13; ++i)
        shop.encryptedUserId += kLetters[random.Below(kLetters.size())];

    int items = random.Chance(85) ? kHotItemsPerShop : static_cast<int>(random.Between(1, kHotItemsPerShop - 1));
    for (int i = 0; i < items; ++i) {
        HotItem item;
        item.nid = std::to_string(random.Between(520000000000LL, 799999999999LL));
        std::string goods = !piece.empty() && random.Chance(70) ? piece : kGoods[industry][random.Below(4)];
        // Four different selling words, two before the goods and two after.
        std::size_t first = random.Below(kItemWords.size());
        std::size_t step = 1 + random.Below(4);
        for (std::size_t word = 0; word < 4; ++word) {
            item.title += kItemWords[(first + word * step) % kItemWords.size()];
            if (word == 1)
                item.title += goods + " ";
        }
        item.url = "//item.taobao.com/item.htm?id=" + item.nid;
        // Prices end the way sellers set them: whole yuan, .90 or .50.
        std::int64_t yuan = std::llround(std::exp(std::log(9.0) + (std::log(999.0) - std::log(9.0)) * random.Unit()));
        static constexpr std::array<int, 3> kCents = {0, 90, 50};
        item.price = TwoDecimals(yuan * 100 + random.Pick(kCents));
        shop.hotItems.push_back(std::move(item));
    }

    int round = s.index / kShopsPerPage;
    switch (static_cast<int>((static_cast<std::uint64_t>(s.index) * 7 + keyHash % kShopsPerPage) % kShopsPerPage)) {
    case kNoRegion:
        shop.provcity.clear();
        break;
    case kBadRating:
        shop.dsr = std::array{DsrState::Broken, DsrState::NoDsrStr, DsrState::NoDsrInfo}[round % 3];
        break;
    case kNoHotItems:
        shop.hotItems.clear();
        shop.hotItemsPresence = round % 2 == 0 ? Presence::Empty : Presence::Missing;
        break;
    case kNoName:
        shop.rawTitle.clear();
        shop.name = round % 2 == 0 ? Presence::Empty : Presence::Missing;
        break;
    default:
        break;
    }
    shop.title = Highlight(shop.rawTitle, piece);
    return shop;
}

const char* CreditIcon(int level) {
    if (level <= 5)
        return "icon-supple-level-xin";
    if (level <= 10)
        return "icon-supple-level-zuan";
    if (level <= 15)
        return "icon-supple-level-guan";
    return "icon-supple-level-jinguan";
}

void AppendMember(std::string& out, std::string_view name, std::string_view value) {
    out += '"';
    out.append(name);
    out += "\":";
    AppendJsonString(out, value);
}

void AppendShop(std::string& out, const Shop& shop) {
    out += '{';
    AppendMember(out, "uid", shop.uid);
    out += ",\"nid\":";
    out += shop.uid;
    if (shop.name != Presence::Missing) {
        out += ',';
        AppendMember(out, "title", shop.title);
    }
    out += ',';
    AppendMember(out, "nick", shop.nick);
    if (shop.name != Presence::Missing) {
        out += ',';
        AppendMember(out, "rawTitle", shop.rawTitle);
    }
    out += ",\"userRateUrl\":\"//rate.taobao.com/user-rate-" + shop.uid + ".htm\",";
    AppendMember(out, "shopUrl", shop.shopUrl);
    out += ",\"picUrl\":\"//gtd.alicdn.com/sns_logo/i1/TB1" + shop.uid + "_!!0-item_pic.jpg_80x80.jpg\"";
    out += shop.tmall ? ",\"isTmall\":true" : ",\"isTmall\":false";
    out += shop.global ? ",\"isGlobal\":true" : ",\"isGlobal\":false";
    if (!shop.provcity.empty()) {
        out += ',';
        AppendMember(out, "provcity", shop.provcity);
    }
    out += ",\"totalsold\":" + std::to_string(shop.totalsold);
    out += ",\"procnt\":" + std::to_string(shop.procnt);
    out += ',';
    AppendMember(out, "goodratePercent", shop.sgr);
    out += ",\"sellerLevel\":" + std::to_string(shop.sellerLevel);
    out += ",\"sellerCredit\":" + std::to_string(shop.credit);
    out += ",\"shopIcon\":{\"iconClass\":\"";
    out += shop.tmall ? "icon-service-tianmao" : CreditIcon(shop.sellerLevel);
    out += "\",\"rank\":" + std::to_string(shop.sellerLevel) + ",\"imgsrc\":null}";
    if (shop.dsr != DsrState::NoDsrInfo) {
        out += ",\"dsrInfo\":{";
        if (shop.dsr != DsrState::NoDsrStr) {
            AppendMember(out, "dsrStr", DsrText(shop));
            out += ',';
        }
        out += "\"dsrUrl\":\"//rate.taobao.com/user-rate-" + shop.uid + ".htm\"}";
    }
    out += ",\"icons\":[{\"title\":\"消费者保障\",\"icon\":\"icon-fest-xiaobao\"}";
    if (shop.tmall)
        out += ",{\"title\":\"天猫\",\"icon\":\"icon-service-tianmao\"}";
    if (shop.global)
        out += ",{\"title\":\"全球购\",\"icon\":\"icon-service-quanqiugou\"}";
    out += ']';
    if (shop.hotItemsPresence != Presence::Missing) {
        out += ",\"auctionsInshop\":[";
        for (std::size_t i = 0; i < shop.hotItems.size(); ++i) {
            const HotItem& item = shop.hotItems[i];
            out += i == 0 ? "{" : ",{";
            AppendMember(out, "nid", item.nid);
            out += ',';
            AppendMember(out, "title", item.title);
            out += ',';
            AppendMember(out, "url", item.url);
            out += ",\"picUrl\":\"//g-search1.alicdn.com/img/bao/uploaded/i4/" + item.nid + ".jpg_160x160.jpg\",";
            AppendMember(out, "price", item.price);
            out += '}';
        }
        out += ']';
    }
    out += '}';
}

std::string_view SortValue(SortOrder sort) {
    switch (sort) {
    case SortOrder::SalesDescending:
        return "sale-desc";
    case SortOrder::CreditDescending:
        return "credit-desc";
    default:
        return "default";
    }
}

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::int64_t ParseNumber(std::string_view text, std::int64_t fallback) {
    std::int64_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() ? value : fallback;
}

// Reads one UTF-8 sequence at text[i]; returns its length, or 0 when it is not
// a well-formed sequence (overlong forms, surrogates and values past U+10FFFF included).
std::size_t Utf8Sequence(std::string_view text, std::size_t i, char32_t& code) {
    auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    unsigned char first = byte(i);
    std::size_t length = first < 0x80           ? 1
                         : (first >> 5) == 0x6  ? 2
                         : (first >> 4) == 0xE  ? 3
                         : (first >> 3) == 0x1E ? 4
                                                : 0;
    if (length == 0 || i + length > text.size())
        return 0;
    code = length == 1 ? first : length == 2 ? (first & 0x1F) : length == 3 ? (first & 0x0F) : (first & 0x07);
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (byte(i + k) & 0x3F);
    }
    static constexpr std::array<char32_t, 5> kSmallest = {0, 0, 0x80, 0x800, 0x10000};
    if (code < kSmallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}

} // namespace

std::string PercentDecode(std::string_view text, bool plusIsSpace) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else {
            out += plusIsSpace && c == '+' ? ' ' : c;
        }
    }
    return out;
}

std::string ValidUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        char32_t code = 0;
        std::size_t length = Utf8Sequence(text, i, code);
        if (length == 0) {
            out += "\xEF\xBF\xBD";
            ++i;
        } else {
            out.append(text.substr(i, length));
            i += length;
        }
    }
    return out;
}

void AppendJsonString(std::string& out, std::string_view text, bool asciiOnly) {
    static constexpr char kHex[] = "0123456789abcdef";
    auto escape = [&out](char32_t unit) {
        out += "\\u";
        for (int shift = 12; shift >= 0; shift -= 4)
            out += kHex[(unit >> shift) & 0xF];
    };
    out += '"';
    for (std::size_t i = 0; i < text.size();) {
        auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80 && asciiOnly) {
            char32_t code = 0xFFFD;
            std::size_t length = Utf8Sequence(text, i, code);
            i += length == 0 ? 1 : length;
            if (code >= 0x10000) {
                escape(0xD800 + ((code - 0x10000) >> 10));
                escape(0xDC00 + ((code - 0x10000) & 0x3FF));
            } else {
                escape(code);
            }
            continue;
        }
        ++i;
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        case '/':
            // Escaped the way PHP writes it; a reader must take both forms.
            out += asciiOnly ? "\\/" : "/";
            break;
        default:
            if (c < 0x20)
                escape(c);
            else
                out += static_cast<char>(c);
        }
    }
    out += '"';
}

ShopQuery ParseShopQuery(std::string_view queryString) {
    std::map<std::string, std::string, std::less<>> values;
    while (!queryString.empty()) {
        std::size_t amp = queryString.find('&');
        std::string_view part = queryString.substr(0, amp);
        queryString = amp == std::string_view::npos ? std::string_view() : queryString.substr(amp + 1);
        std::size_t equals = part.find('=');
        std::string key = PercentDecode(part.substr(0, equals));
        std::string value = equals == std::string_view::npos ? std::string() : PercentDecode(part.substr(equals + 1));
        auto [it, added] = values.try_emplace(key, value);
        if (!added && !value.empty())
            it->second = value;
    }
    auto get = [&values](std::string_view key) {
        auto it = values.find(key);
        return it == values.end() ? std::string() : it->second;
    };

    ShopQuery query;
    query.keyword = ValidUtf8(get("q"));
    std::string sort = get("sort");
    query.sort = sort == "sale-desc"     ? SortOrder::SalesDescending
                 : sort == "credit-desc" ? SortOrder::CreditDescending
                                         : SortOrder::Relevance;
    query.tmallOnly = get("isb") == "1";
    query.globalOnly = get("shop_type") == "2";
    std::string band = get("ratesum");
    query.credit = band == "xin"     ? CreditBand::Hearts
                   : band == "zhuan" ? CreditBand::Diamonds
                   : band == "huang" ? CreditBand::Crowns
                   : band == "jin"   ? CreditBand::GoldCrowns
                                     : CreditBand::Any;
    std::string rate = get("goodrate");
    std::size_t comma = rate.find(',');
    query.minGoodRate = static_cast<int>(std::clamp<std::int64_t>(ParseNumber(rate.substr(0, comma), 0), 0, 10000));
    if (comma != std::string::npos && comma + 1 < rate.size())
        query.maxGoodRate =
            static_cast<int>(std::clamp<std::int64_t>(ParseNumber(rate.substr(comma + 1), 10000), 0, 100000));
    query.offset = std::max<std::int64_t>(0, ParseNumber(get("s"), 0));
    return query;
}

int KeywordShopCount(std::string_view keyword) {
    return 1500 + static_cast<int>(Fnv1a(keyword) % 501);
}

int MatchingShopCount(const ShopQuery& query) {
    return static_cast<int>(Matching(query, Fnv1a(query.keyword)).size());
}

std::vector<Shop> PageShops(const ShopQuery& query) {
    std::uint64_t keyHash = Fnv1a(query.keyword);
    std::vector<Summary> matching = Matching(query, keyHash);
    std::string piece = KeywordPiece(query.keyword);
    std::vector<Shop> shops;
    for (std::int64_t i = query.offset;
         i < query.offset + kShopsPerPage && i < static_cast<std::int64_t>(matching.size()); ++i)
        shops.push_back(Build(keyHash, piece, matching[static_cast<std::size_t>(i)]));
    return shops;
}

std::string DsrText(const Shop& shop) {
    std::string text = "{\"srn\":\"" + shop.srn + "\",\"sgr\":\"" + shop.sgr + "\",\"ind\":\"" + shop.industry +
                       "\",\"mas\":\"" + shop.mas + "\",\"sas\":\"" + shop.sas + "\",\"cas\":\"" + shop.cas +
                       "\",\"encryptedUserId\":\"" + shop.encryptedUserId + "\"}";
    // The broken form is the record cut off mid-way, as a truncated feed leaves it.
    if (shop.dsr == DsrState::Broken)
        text.resize(text.find("\"sgr\"") + 11);
    return text;
}

std::string ShopPageJson(const ShopQuery& query) {
    std::uint64_t keyHash = Fnv1a(query.keyword);
    std::vector<Summary> matching = Matching(query, keyHash);
    std::string piece = KeywordPiece(query.keyword);
    auto total = static_cast<std::int64_t>(matching.size());
    std::int64_t pages = (total + kShopsPerPage - 1) / kShopsPerPage;

    std::string out;
    out.reserve(48 * 1024);
    out += "{\"pageName\":\"spushop\",\"mods\":{\"header\":{\"status\":\"show\",\"data\":{";
    AppendMember(out, "q", query.keyword);
    out += ",\"tabs\":[{\"name\":\"宝贝\",\"url\":\"//s.taobao.com/search\"},{\"name\":\"天猫\",\"url\":"
           "\"//list.tmall.com/search_product.htm\"},{\"name\":\"店铺\",\"url\":\"//shopsearch.taobao.com\","
           "\"isActive\":true}]}},";
    out += "\"sortbar\":{\"status\":\"show\",\"data\":{\"sortList\":[{\"name\":\"综合排序\",\"value\":\"default\"},"
           "{\"name\":\"销量从高到低\",\"value\":\"sale-desc\"},{\"name\":\"信用从高到低\",\"value\":\"credit-desc\"}],"
           "\"current\":\"";
    out += SortValue(query.sort);
    out += "\"}},\"shoplist\":";
    if (query.offset >= total) {
        out += "{\"status\":\"hide\",\"data\":{}}";
    } else {
        out += "{\"status\":\"show\",\"data\":{\"shopItems\":[";
        for (std::int64_t i = query.offset; i < query.offset + kShopsPerPage && i < total; ++i) {
            if (i > query.offset)
                out += ',';
            AppendShop(out, Build(keyHash, piece, matching[static_cast<std::size_t>(i)]));
        }
        out += "]}}";
    }
    out += ",\"pager\":{\"status\":\"show\",\"data\":{\"pageSize\":" + std::to_string(kShopsPerPage) +
           ",\"totalPage\":" + std::to_string(pages) +
           ",\"currentPage\":" + std::to_string(query.offset / kShopsPerPage + 1) +
           ",\"totalCount\":" + std::to_string(total) + "}}";
    if (query.offset >= total) {
        out += ",\"tips\":{\"status\":\"show\",\"data\":{\"text\":";
        AppendJsonString(out, "没有找到与“" + query.keyword + "”相关的店铺");
        out += "}}";
    } else {
        out += ",\"tips\":{\"status\":\"hide\"}";
    }
    out += "},\"mainInfo\":{\"srpGlobal\":{";
    AppendMember(out, "q", query.keyword);
    out += ",\"s\":" + std::to_string(query.offset) +
           ",\"bucketid\":20},\"traceInfo\":{\"traceData\":{\"shopCount\":\"" + std::to_string(total) +
           "\"}}},\"feature\":{\"webpOff\":false,\"retinaOff\":false,\"shopcardOff\":true}}";
    return out;
}

std::vector<std::pair<std::string, std::int64_t>> Suggestions(std::string_view typed) {
    std::string prefix = KeywordPiece(ValidUtf8(typed));
    std::vector<std::pair<std::string, std::int64_t>> out;
    if (prefix.empty())
        return out;
    std::uint64_t hash = Fnv1a(prefix);
    Random random(hash);
    std::int64_t count = 50000 + static_cast<std::int64_t>(hash % 900000);
    // A step prime to the list's length visits ten different endings.
    std::size_t start = hash % kSuggestionEndings.size();
    for (std::size_t i = 0; i < 10; ++i) {
        out.emplace_back(prefix + kSuggestionEndings[(start + i * 7) % kSuggestionEndings.size()], count);
        count = count * random.Between(55, 90) / 100;
    }
    return out;
}

} // namespace sw::marketsim
