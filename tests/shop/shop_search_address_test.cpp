#include "shop/shop_search_address.h"

#include "tests/support/gbk_assert.h"
#include "text/date_time_text.h"

#include <gtest/gtest.h>

namespace sw {
namespace {

using test::G;

const DateTime kDay = DateTimeFromCalendar({2026, 12, 11, 15, 5, 9});
const std::string kBase = "https://H/search?app=shopsearch&q=ab&js=1&initiative_id=staobaoz_20261211&ie=utf8";

struct AddressCase {
    int page;
    int sortIndex;
    int shopTypeIndex;
    int ratingIndex;
    std::string tail; // what follows kBase
};

TEST(ShopSearchAddressTest, AssemblesTheFragmentsInOrder) {
    const AddressCase cases[] = {
        {1, 0, 0, 0, "&ajax=true"},
        {0, 0, 0, 0, "&ajax=true"},
        {-3, 0, 0, 0, "&ajax=true"},
        {2, 0, 0, 0, "&ajax=true&s=20"},
        {3, 1, 6, 2, "&sort=sale-desc&isb=1&shop_type=&ratesum=&goodrate=&goodrate=9900%2C&ajax=true&s=40"},
        {1, 2, 1, 1, "&sort=credit-desc&goodrate=&isb=0&shop_type=&ratesum=&goodrate=10000%2C10010&ajax=true"},
        {1, 0, 2, 3, "&isb=0&shop_type=&ratesum=jin&goodrate=9800%2C&ajax=true"},
        {1, 0, 3, 4, "&isb=0&shop_type=&ratesum=huang&goodrate=9700%2C&ajax=true"},
        {1, 0, 4, 5, "&isb=0&shop_type=&ratesum=zhuan&goodrate=9600%2C&ajax=true"},
        {1, 0, 5, 0, "&isb=0&shop_type=&ratesum=xin&ajax=true"},
        {1, 0, 7, 0, "&goodrate=&shop_type=2&isb=&ratesum=&ajax=true"},
        {1, 0, 8, 6, "&ajax=true"}, // the two "不限" items add nothing
        {1, 3, 9, 7, "&ajax=true"}, // nor does an index beyond the lists
        {1, -1, -1, -1, "&ajax=true"},
        {2147483647, 0, 0, 0, "&ajax=true&s=42949672920"},
    };
    for (const AddressCase& c : cases)
        EXPECT_EQ(kBase + c.tail,
                  BuildShopSearchAddress("H", kDay, "ab", c.page, c.sortIndex, c.shopTypeIndex, c.ratingIndex))
            << "page " << c.page << " indexes " << c.sortIndex << "," << c.shopTypeIndex << "," << c.ratingIndex;
}

TEST(ShopSearchAddressTest, KeywordIsSentAsEncodedUtf8) {
    const std::pair<std::string, std::string> cases[] = {
        {G("中"), "q=%E4%B8%AD&"},
        {"a b&c/d", "q=a%20b%26c%2Fd&"},
        {"", "q=&js=1"},
    };
    for (const auto& [keyword, expected] : cases)
        EXPECT_NE(std::string::npos, BuildShopSearchAddress("H", kDay, keyword, 1, 0, 0, 0).find(expected)) << expected;
}

DateTime FixedNow() {
    return DateTimeFromCalendar({2027, 1, 2, 23, 59, 59});
}

TEST(ShopSearchAddressTest, TakesTodayFromTheClockAndTheHostFromTheSettings) {
    SetDateTimeSource(&FixedNow);
    std::string address = BuildShopSearchAddress("ab", 1, 0, 0, 0);
    SetDateTimeSource(nullptr);
    EXPECT_EQ("https://s.taobao.com/search?app=shopsearch&q=ab&js=1&initiative_id=staobaoz_20270102&ie=utf8&ajax=true",
              address);
}

} // namespace
} // namespace sw
