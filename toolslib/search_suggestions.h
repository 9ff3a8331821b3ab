#pragma once

#include <string>
#include <string_view>

namespace sw {

// The suggestion service's address on host for a GBK keyword (every byte of its
// UTF-8 form percent-encoded).
std::string SuggestionAddress(std::string_view host, std::string_view keyword);

// The service's reply for keyword as GBK text; empty when the request fails.
std::string FetchSuggestions(std::string_view host, std::string_view keyword);

} // namespace sw
