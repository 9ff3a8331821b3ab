#pragma once

// The address of one result page of the marketplace's shop search.

#include "text/clock.h"

#include <string>
#include <string_view>

namespace sw {

// keyword: GBK as typed; page: 1 for the first page; the three indexes are the
// selected items of the sort-order, shop-type and positive-rating boxes. Uses
// ShopSearchHost of the service settings and today's date from the clock port.
std::string BuildShopSearchAddress(std::string_view keyword, int page, int sortIndex, int shopTypeIndex,
                                   int ratingIndex);

// The same on a given host and date-time.
std::string BuildShopSearchAddress(std::string_view host, DateTime now, std::string_view keyword, int page,
                                   int sortIndex, int shopTypeIndex, int ratingIndex);

} // namespace sw
