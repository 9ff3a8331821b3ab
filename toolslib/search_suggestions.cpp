#include "toolslib/search_suggestions.h"

#include "text/code_page.h"
#include "text/url_encode.h"
#include "web/page_request.h"

namespace sw {

std::string SuggestionAddress(std::string_view host, std::string_view keyword) {
    // The tail is the same on every call: the time stamp in it is a constant.
    std::string address = "https://";
    address += host;
    address += "/sug?code=utf-8&q=";
    address += UrlEncode(keyword, false, true);
    address += "&_ksTS=1527670724999_3760&callback=&k=1&area=c2c&bucketid=20";
    return address;
}

std::string FetchSuggestions(std::string_view host, std::string_view keyword) {
    return Utf8ToGbk(PageRequest(SuggestionAddress(host, keyword)));
}

} // namespace sw
