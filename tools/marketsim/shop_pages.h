#pragma once

// The simulated shop search: a deterministic list of shops for every keyword,
// filtered and ordered by the query's parameters, and the JSON result page that
// carries twenty of them. Everything derives from the keyword and the shop's
// place in the keyword's list, so the same query always yields the same bytes
// and a shop keeps its values whatever order or filter shows it.

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace sw::marketsim {

inline constexpr int kShopsPerPage = 20;
inline constexpr int kHotItemsPerShop = 4;

enum class SortOrder { Relevance, SalesDescending, CreditDescending };

// Seller credit bands of the marketplace, lowest first.
enum class CreditBand { Any, Hearts, Diamonds, Crowns, GoldCrowns };

struct ShopQuery {
    std::string keyword; // UTF-8; invalid bytes become U+FFFD
    SortOrder sort = SortOrder::Relevance;
    bool tmallOnly = false;
    bool globalOnly = false;
    CreditBand credit = CreditBand::Any;
    int minGoodRate = 0;     // hundredths of a percent
    int maxGoodRate = 10000; // inclusive
    std::int64_t offset = 0; // results before the page
};

// The query string of a search request (the part after '?'), percent-decoded.
// Repeated parameters: the last non-empty value counts, as the client sends
// empty placeholders before the real value.
ShopQuery ParseShopQuery(std::string_view queryString);

enum class Presence { Present, Empty, Missing };

enum class DsrState {
    Valid,
    Broken,    // dsrStr holds text that does not parse as JSON
    NoDsrStr,  // dsrInfo without dsrStr
    NoDsrInfo, // no dsrInfo member at all
};

struct HotItem {
    std::string nid;
    std::string title;
    std::string url;
    std::string price; // "59.00"
};

struct Shop {
    int index = 0; // place in the keyword's relevance order
    std::string uid;
    std::string shopUrl; // "//shop63812317.taobao.com"
    std::string nick;
    Presence name = Presence::Present;
    std::string rawTitle; // empty unless name is Present
    std::string title;    // rawTitle with the keyword highlighted
    std::string provcity; // empty: the member is left out
    bool tmall = false;
    bool global = false;
    std::int64_t credit = 0; // seller credit points
    int sellerLevel = 0;     // 1..20, from credit
    std::int64_t totalsold = 0;
    std::int64_t procnt = 0;
    int goodRate = 0; // hundredths of a percent
    std::string sgr;  // "99.93%"
    std::string mas, sas, cas;
    std::string srn;
    std::string industry;
    std::string encryptedUserId;
    DsrState dsr = DsrState::Valid;
    Presence hotItemsPresence = Presence::Present;
    std::vector<HotItem> hotItems;
};

// Shops the keyword yields before any filter: between 1500 and 2000.
int KeywordShopCount(std::string_view keyword);

// Shops that pass the query's filters (offset ignored).
int MatchingShopCount(const ShopQuery& query);

// The shops of the page the query asks for, in page order; empty past the end.
std::vector<Shop> PageShops(const ShopQuery& query);

// The dsrStr text of a shop whose dsr state is Valid or Broken.
std::string DsrText(const Shop& shop);

// The UTF-8 JSON result page.
std::string ShopPageJson(const ShopQuery& query);

// Suggestions for what the user has typed: phrases that start with it, with
// counts, most frequent first. Empty for an empty prefix.
std::vector<std::pair<std::string, std::int64_t>> Suggestions(std::string_view typed);

// Helpers the other writers share.
std::string PercentDecode(std::string_view text, bool plusIsSpace = true);
std::string ValidUtf8(std::string_view text);
// Appends text as a JSON string literal. asciiOnly writes every non-ASCII
// character as \uXXXX (surrogate pairs above the BMP).
void AppendJsonString(std::string& out, std::string_view text, bool asciiOnly = false);

} // namespace sw::marketsim
