#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace sw {

// The address of an item-search page (dataAddress false) or of the item
// search's data address (true) on host, for a GBK keyword, a sort 0 to 4 and a
// page counted from 0. nullopt for any other sort.
std::optional<std::string> BuildItemSearchAddress(std::string_view host, std::string_view keyword, int sort, int page,
                                                  bool dataAddress);

} // namespace sw
