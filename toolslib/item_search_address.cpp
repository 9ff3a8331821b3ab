#include "toolslib/item_search_address.h"

#include "text/url_encode.h"

#include <array>
#include <cstdint>

namespace sw {
namespace {

constexpr std::array<std::string_view, 5> kSortValues = {"default", "default", "renqi-desc", "sale-desc",
                                                         "credit-desc"};
constexpr int kResultsPerPage = 44;

} // namespace

std::optional<std::string> BuildItemSearchAddress(std::string_view host, std::string_view keyword, int sort, int page,
                                                  bool dataAddress) {
    if (sort < 0 || sort >= static_cast<int>(kSortValues.size()))
        return std::nullopt;
    std::string address = "https://";
    address += host;
    if (dataAddress) {
        // The data address takes the GBK bytes as they stand; "%2C44" is part of the fixed text.
        address += "/search?data-key=s&data-value=0&ajax=true&callback=jsonp1178&q=";
        address += UrlEncode(keyword, true, false);
        address += "&cd=false&bcoffset=4&ntoffset=4&p4ppushleft=%2C44&sort=";
    } else {
        address += "/search?q=";
        address += UrlEncode(keyword, true, true);
        address += "&imgfile=&commend=all&ssid=s5-e&search_type=item&sourceId=tb.index&spm=a21bo.2017.201856-taobao-"
                   "item.1&ie=utf8&initiative_id=tbindexz_20170306&fs=1&sort=";
    }
    address += kSortValues[static_cast<size_t>(sort)];
    address += "&s=";
    address += std::to_string(static_cast<std::int64_t>(page) * kResultsPerPage);
    return address;
}

} // namespace sw
