#include "shop/shop_search_address.h"

#include "text/date_time_text.h"
#include "text/service_settings.h"
#include "text/url_encode.h"

#include <array>
#include <cstdint>

namespace sw {
namespace {

// Query fragments by the selected item of the three search boxes; the service
// expects exactly these, in this order. "%2C" is an encoded comma, stored as is.
constexpr std::array<std::string_view, 3> kSortFragments = {"", "&sort=sale-desc", "&sort=credit-desc"};

constexpr std::array<std::string_view, 9> kShopTypeFragments = {
    "",
    "&goodrate=&isb=0&shop_type=&ratesum=",
    "&isb=0&shop_type=&ratesum=jin",
    "&isb=0&shop_type=&ratesum=huang",
    "&isb=0&shop_type=&ratesum=zhuan",
    "&isb=0&shop_type=&ratesum=xin",
    "&isb=1&shop_type=&ratesum=&goodrate=",
    "&goodrate=&shop_type=2&isb=&ratesum=",
    "",
};

constexpr std::array<std::string_view, 7> kRatingFragments = {
    "", "&goodrate=10000%2C10010", "&goodrate=9900%2C", "&goodrate=9800%2C", "&goodrate=9700%2C", "&goodrate=9600%2C",
    "",
};

constexpr int kResultsPerPage = 20;

template <size_t N>
std::string_view Fragment(const std::array<std::string_view, N>& table, int index) {
    return index >= 0 && static_cast<size_t>(index) < N ? table[static_cast<size_t>(index)] : std::string_view();
}

} // namespace

std::string BuildShopSearchAddress(std::string_view host, DateTime now, std::string_view keyword, int page,
                                   int sortIndex, int shopTypeIndex, int ratingIndex) {
    std::string address = "https://";
    address += host;
    address += "/search?app=shopsearch&q=";
    address += UrlEncode(keyword, true, true);
    address += "&js=1&initiative_id=staobaoz_";
    address += DateTimeText(now, 3, 1);
    address += "&ie=utf8";
    address += Fragment(kSortFragments, sortIndex);
    address += Fragment(kShopTypeFragments, shopTypeIndex);
    address += Fragment(kRatingFragments, ratingIndex);
    address += "&ajax=true";
    // The service takes s as the number of results before the page, so page 2
    // starts at result 20.
    if (page >= 2)
        address += "&s=" + std::to_string((static_cast<std::int64_t>(page) - 1) * kResultsPerPage);
    return address;
}

std::string BuildShopSearchAddress(std::string_view keyword, int page, int sortIndex, int shopTypeIndex,
                                   int ratingIndex) {
    return BuildShopSearchAddress(Services().shopSearchHost, CurrentDateTime(), keyword, page, sortIndex, shopTypeIndex,
                                  ratingIndex);
}

} // namespace sw
